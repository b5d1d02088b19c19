# bash completion for sci: options and query names as the installed sci
# lists them, scene and batch files.
_sci() {
  COMPREPLY=()
  local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}" sci="${COMP_WORDS[0]}"
  case "$prev" in
    -f|--format) mapfile -t COMPREPLY < <(compgen -W "text json csv md dot svg" -- "$cur"); return ;;
    --reader) mapfile -t COMPREPLY < <(compgen -W "native assimp" -- "$cur"); return ;;
    -b|--batch|-p|--plugin|--cache-dir|--output-dir) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
  esac
  if [[ "$cur" == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$("$sci" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)" -- "$cur")
    return
  fi
  local queries word
  queries="$("$sci" --list 2>/dev/null | awk 'NF > 1 && $1 ~ /^[0-9]+$/ { print $2 }')"
  # Once a query is named, the words after it are its inputs.
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    if grep -qxF -- "$word" <<<"$queries"; then return; fi
  done
  mapfile -t COMPREPLY < <(compgen -W "$queries" -- "$cur"; compgen -f -- "$cur")
}
complete -o filenames -F _sci sci
