#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (osslsigncode):
#   sign.sh FILE
# TEMPIRO_SIGN_CERT  the code-signing certificate with its chain (PEM or DER)
# TEMPIRO_SIGN_KEY   its private key (PEM or DER)
# TEMPIRO_SIGN_PASS  the key's password, if it has one
# TEMPIRO_SIGN_TIMESTAMP  an RFC 3161 time-stamping server, so that the
#                    signature outlives the certificate (none when unset)
set -euo pipefail
file=$1
: "${TEMPIRO_SIGN_CERT:?TEMPIRO_SIGN_CERT names the certificate}"
: "${TEMPIRO_SIGN_KEY:?TEMPIRO_SIGN_KEY names the private key}"
args=(sign -certs "$TEMPIRO_SIGN_CERT" -key "$TEMPIRO_SIGN_KEY" -h sha256 -n "Tempiro")
[ -n "${TEMPIRO_SIGN_PASS:-}" ] && args+=(-pass "$TEMPIRO_SIGN_PASS")
[ -n "${TEMPIRO_SIGN_TIMESTAMP:-}" ] && args+=(-ts "$TEMPIRO_SIGN_TIMESTAMP")
osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
echo "signed $(basename "$file")"
