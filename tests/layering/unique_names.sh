#!/bin/sh
# Every message text of src/ has a name of its own: two headers that give one
# name to two texts would make one of them win, unseen, wherever both are
# linked.
#   unique_names.sh SOURCE_DIR
dups=$(grep -rhoE "inline constexpr [a-z:_]+ kMsg[A-Za-z0-9_]*" "$1" | awk '{print $NF}' | sort | uniq -d)
[ -z "$dups" ] && exit 0
echo "message names given twice in $1:"; echo "$dups"; exit 1
