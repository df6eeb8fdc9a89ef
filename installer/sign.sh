#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (osslsigncode):
#   sign.sh FILE
# TEMPIRO_SIGN_CERT  the code-signing certificate with its chain (PEM or DER)
# TEMPIRO_SIGN_KEY   its private key (PEM or DER)
# TEMPIRO_SIGN_PASS  the key's password, if it has one
# TEMPIRO_SIGN_TIMESTAMP  an RFC 3161 time-stamping server, so that the
#                    signature outlives the certificate (none when unset)
# The password never goes on a command line, which any user of the machine
# can read: osslsigncode reads it from a file only its owner can read,
# removed however this script ends.
set -euo pipefail
file=${1:?usage: sign.sh FILE}
: "${TEMPIRO_SIGN_CERT:?TEMPIRO_SIGN_CERT names the certificate}"
: "${TEMPIRO_SIGN_KEY:?TEMPIRO_SIGN_KEY names the private key}"
passfile=
cleanup() {
  if [ -n "$passfile" ]; then rm -f -- "$passfile"; fi
  rm -f -- "$file.signed"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
args=(sign -certs "$TEMPIRO_SIGN_CERT" -key "$TEMPIRO_SIGN_KEY" -h sha256 -n "Tempiro")
if [ -n "${TEMPIRO_SIGN_PASS:-}" ]; then
  passfile=$(umask 077 && mktemp "${TMPDIR:-/tmp}/tempiro-sign.XXXXXX")
  chmod 600 -- "$passfile"
  printf '%s' "$TEMPIRO_SIGN_PASS" > "$passfile"  # printf is a builtin: no command line
  args+=(-readpass "$passfile")
fi
if [ -n "${TEMPIRO_SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$TEMPIRO_SIGN_TIMESTAMP"); fi
env -u TEMPIRO_SIGN_PASS osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f -- "$file.signed" "$file"
echo "signed $(basename -- "$file")"
