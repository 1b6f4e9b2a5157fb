# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Run by CPack on the staged files before it packs them: strips the programs as Debian's own
# packages are stripped, debug information, symbol tables and the compiler's notes alike.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded
                          ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
