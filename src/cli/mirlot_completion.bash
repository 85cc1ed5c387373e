# bash completion for mirlot: its commands, each command's options, files
# where LIST and IMAGE go, folders after -o. Installed as
# share/bash-completion/completions/mirlot, which bash-completion loads the
# first time mirlot is completed. tests/cli/completion_test.sh holds these
# lists against what `mirlot --help` and each command's --help print.

_mirlot() {
  local cur prev words cword split
  _init_completion -s || return

  # The command is the first word after mirlot that is not an option; the
  # options before it take no value.
  local command='' options i
  for ((i = 1; i < cword; i++)); do
    if [[ ${words[i]} != -* ]]; then
      command=${words[i]}
      break
    fi
  done

  case $command in
  '')
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W '-h --help --version' -- "$cur"))
    else
      COMPREPLY=($(compgen -W 'pack inspect extract verify' -- "$cur"))
    fi
    return
    ;;
  pack | verify) options='-h --help -q --quiet' ;;
  inspect) options='-h --help --json' ;;
  extract)
    options='-h --help -o --output --force'
    if [[ $prev == @(-o|--output) ]]; then
      _filedir -d
      return
    fi
    ;;
  *) return ;;
  esac

  # --option=value of an option that takes none.
  $split && return
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  else
    _filedir
  fi
} &&
  complete -F _mirlot mirlot
