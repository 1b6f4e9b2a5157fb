# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# bash completion for kestrova-list: its options, the values of --color, and folders.
_kestrova_list() {
  local cur prev words cword
  _init_completion -n = || return
  local i
  for ((i = 1; i < cword; i++)); do
    # After "--" every word is a path.
    if [[ ${words[i]} == -- ]]; then
      _filedir -d
      return
    fi
  done
  case $cur in
    --color=*)
      COMPREPLY=($(compgen -W 'auto always never' -- "${cur#--color=}"))
      return
      ;;
    -*)
      COMPREPLY=($(compgen -W '--color --color= --help --version --' -- "$cur"))
      [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
      return
      ;;
  esac
  _filedir -d
}
complete -F _kestrova_list kestrova-list
