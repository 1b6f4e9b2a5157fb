# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# fish completion for kestrova-list: its options, the values of --color, and folders.
# Folders, unless the word being completed is an option.
complete -c kestrova-list -f -n 'not string match -q -- "-*" (commandline -ct)' \
    -a '(__fish_complete_directories)'
complete -c kestrova-list -l color -f -a 'auto always never' -d 'Colour the lines'
complete -c kestrova-list -s h -l help -d 'Show a summary of the options and exit'
complete -c kestrova-list -l version -d 'Show the version, copyright and licence, and exit'
