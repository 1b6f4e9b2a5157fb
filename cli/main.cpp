// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-list: the tree listing of one folder, written to standard output.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "displayText.h"
#include "outputDirTree.h"
#include "posixDirSource.h"
#include "terminalSink.h"
#include "uniqueFd.h"

namespace {

constexpr int kBadInput = 2;

constexpr std::string_view kUsage =
    "Usage: kestrova-list [--color=auto|always|never] [PATH]\n"
    "Write the contents of PATH (default: .), and of every folder below it, as a tree.\n"
    "\n"
    "  --color[=WHEN]  colour the lines: auto (on a terminal, unless NO_COLOR is set),\n"
    "                  always, or never; --color alone means always\n"
    "  -h, --help      show this help and exit\n"
    "  --version       show the version, copyright and licence, and exit\n"
    "  --              end of options: what follows is PATH, even if it begins with '-'\n"
    "\n"
    "Folders are numbered and listed in green, files in red, in the order the file system\n"
    "yields them; folders whose names begin with '.' are left out. Names are shown as UTF-8;\n"
    "control and bidirectional formatting characters and bytes that are not UTF-8 are shown\n"
    "as \\xHH, and a backslash in a name as \\\\.\n"
    "\n"
    "Links to folders are followed. A folder reached through links is listed in full the first\n"
    "time a link leads to it; a later link to it, or a link back into the folders above it, is\n"
    "listed with nothing beneath it. A folder reached by its own name, not through a link, is\n"
    "always listed in full, unless a mount makes it one of the folders above it. So every\n"
    "listing ends, even of / with its webs of links in /proc and /sys.\n"
    "\n"
    "On a terminal each line shows as soon as the listing may have to wait for the disk, and\n"
    "at least every tenth of a second; into a pipe or a file it is written in large blocks.\n"
    "\n"
    "Exit status: 0 when the folder was listed; 2 when PATH is not a folder that can be read\n"
    "or the command line is wrong; 1 when the output could not be written, or when no file\n"
    "descriptor was left to open a folder with, which is said on standard error.\n"
    "The manual: man kestrova-list.\n";

constexpr std::string_view kVersion =
    "kestrova-list (Kestrova) " KESTROVA_VERSION
    "\n"
    "Copyright (C) 2026 The Kestrova developers\n"
    "License MIT: <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

class TNoStatus final : public kestrova::TStatusReceiver {
 public:
  void SetStatusText(std::string_view) override {}
};

enum class TColorWhen { kAuto, kAlways, kNever };

struct TOptions {
  TColorWhen color = TColorWhen::kAuto;
  std::string path = ".";
};

int Fail(std::string_view message) {
  std::cerr << "kestrova-list: " << message << "\n"
            << "Try 'kestrova-list --help' for more information.\n";
  return kBadInput;
}

// Parses the command line; an exit status when the program should end without listing.
std::optional<int> Parse(int argc, char** argv, TOptions& options) {
  bool pathSeen = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      std::cout << kUsage;
      return EXIT_SUCCESS;
    } else if (!optionsEnded && arg == "--version") {
      std::cout << kVersion;
      return EXIT_SUCCESS;
    } else if (!optionsEnded && (arg == "--color" || arg.starts_with("--color="))) {
      const std::string_view when = arg == "--color" ? "always" : arg.substr(8);
      if (when == "auto") {
        options.color = TColorWhen::kAuto;
      } else if (when == "always") {
        options.color = TColorWhen::kAlways;
      } else if (when == "never") {
        options.color = TColorWhen::kNever;
      } else {
        return Fail("--color takes auto, always or never, not '" + kestrova::DisplayText(when) +
                    "'");
      }
    } else if (!optionsEnded && arg.size() > 1 && arg.starts_with('-')) {
      return Fail("unknown option '" + kestrova::DisplayText(arg) + "'");
    } else if (pathSeen) {
      return Fail("only one PATH can be listed");
    } else {
      options.path = arg;
      pathSeen = true;
    }
  }
  return std::nullopt;
}

bool UseColor(TColorWhen when) {
  if (when != TColorWhen::kAuto) return when == TColorWhen::kAlways;
  const char* noColor = std::getenv("NO_COLOR");
  return ::isatty(STDOUT_FILENO) == 1 && (noColor == nullptr || *noColor == '\0');
}

// Why `path` could not be listed, asked again of the system for the message.
std::string WhyNotListed(const std::string& path) {
  const kestrova::TUniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd ? "cannot be read" : std::strerror(errno);
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (const auto status = Parse(argc, argv, options)) return *status;

  // A closed pipe shows as EPIPE, so that `kestrova-list | head` ends quietly.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    // On a terminal every line shows as soon as the walk might stall; elsewhere, large blocks.
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    kestrova::TTerminalSink sink(STDOUT_FILENO, UseColor(options.color), terminal);
    kestrova::TPosixDirOptions sourceOptions;
    if (terminal) sourceOptions.beforeWait = [&sink] { sink.WalkMayWait(); };
    kestrova::TPosixDirSource source(std::move(sourceOptions));
    TNoStatus status;
    const bool listed = kestrova::RunOutputCommand(options.path, sink, status, source);
    sink.Flush();
    if (!listed) {
      std::cerr << "kestrova-list: " << kestrova::DisplayText(options.path) << ": "
                << WhyNotListed(options.path) << "\n";
      return kBadInput;
    }
  } catch (const kestrova::EOutputClosed&) {
    return EXIT_SUCCESS;
  } catch (const std::system_error& error) {
    std::cerr << "kestrova-list: " << error.what() << "\n";
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
