@echo off
rem Tempiro: junk cleaning. Tempiro.exe beside this file does the work and
rem writes the list; this file prints nothing itself, so that the list stays
rem one UTF-8 text. No name found on disk ever passes through cmd.exe.
rem ASCII only, so that it reads the same in every console code page.
setlocal EnableExtensions DisableDelayedExpansion
"%~dp0Tempiro.exe" /clean
endlocal
