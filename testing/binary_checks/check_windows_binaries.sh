#!/usr/bin/env bash
# Checks Windows binaries by inspection (32-bit ones cannot run here):
#   imports FILE...            every file imports system DLLs only
#   exports FILE NAME...       the file exports exactly these names, undecorated
set -u
objdump=${OBJDUMP:?OBJDUMP names the target objdump}
mode=$1
shift
system_dlls='^(KERNEL32|ADVAPI32|msvcrt|ole32|USER32)\.dll$'
status=0
case $mode in
  imports)
    for file in "$@"; do
      [ -f "$file" ] || { echo "missing: $file"; status=1; continue; }
      while read -r dll; do
        if [[ ! $dll =~ $system_dlls ]]; then
          echo "$file imports $dll, which is not a system DLL"
          status=1
        fi
      done < <("$objdump" -p "$file" | sed -n 's/^\tDLL Name: //p')
      echo "checked imports of $file"
    done
    ;;
  exports)
    file=$1
    shift
    expected=$(printf '%s\n' "$@" | sort)
    # Entries read "[   0] name", or "[   0] +base[   1] 0000 name" with
    # newer binutils: the name is the last field either way.
    actual=$("$objdump" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[.*[ \t]\([^ \t]*\)$/\1/p' | sort)
    if [ "$actual" != "$expected" ]; then
      printf '%s exports:\n%s\nexpected:\n%s\n' "$file" "$actual" "$expected"
      status=1
    fi
    echo "checked exports of $file"
    ;;
  *)
    echo "usage: $0 imports FILE... | exports FILE NAME..."
    exit 2
    ;;
esac
exit $status
