# bash completion for venmark-scan
_venmark_scan() {
  local cur prev
  _init_completion -s || return
  case $prev in
    --db)
      _filedir
      return
      ;;
    --format)
      COMPREPLY=($(compgen -W 'text tsv json' -- "$cur"))
      return
      ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--db --format --update --version --list-kinds --help' -- "$cur"))
    [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    return
  fi
  _filedir
}
complete -F _venmark_scan venmark-scan
