#!/bin/sh
# velcor-cli --help and its manual page name the same options and the same commands: the options
# of the usage, of the page's synopsis and of the page's list of options are one set.
set -eu
cli=$1
page=$2

# The usage: the lines before the first blank one.
usage=$("$cli" --help | sed '/^$/q')
# The page with its roff escapes for "-" undone.
text=$(sed 's/\\-/-/g' "$page")

options() { grep -oE '(^|[][ |(])--?[a-z]+' | sed 's/^[][ |(]//' | sort -u; }
section() { printf '%s\n' "$text" | sed -n "/^\.SH $1\$/,/^\.SH /p"; }

from_usage=$(printf '%s\n' "$usage" | options)
from_synopsis=$(section SYNOPSIS | options)
# The heads of the list of options: the line after each .TP.
from_list=$(section OPTIONS | sed -n '/^\.TP$/{n;p;}' | sed 's/^\.[A-Z]* *//' | options)

commands_usage=$(printf '%s\n' "$usage" | grep -oE '\([a-z|]+\)' | tr -d '()' | tr '|' '\n' | sort -u)
commands_page=$(section COMMANDS | sed -n '/^\.TP$/{n;p;}' | sed 's/^\.B *//' | sort -u)

status=0
compare() {
    if [ "$2" != "$3" ]; then
        printf '%s differ:\n--- usage\n%s\n--- page\n%s\n' "$1" "$2" "$3"
        status=1
    fi
}
compare "options of the synopsis" "$from_usage" "$from_synopsis"
compare "options of the list" "$from_usage" "$from_list"
compare "commands" "$commands_usage" "$commands_page"
[ -n "$from_usage" ] && [ -n "$commands_usage" ] || { echo "no options or commands found"; status=1; }
exit $status
