// How the file layer's paths and names are spelled. The window keeps the
// system's ANSI calls and bytes; the command line takes its words as UTF-8
// and hands them to the system's wide (UTF-16) calls on Windows, so that a
// folder or file name outside the ANSI code page works. Off Windows names
// are bytes either way. Whoever names a file says which form its name is
// in: the choice is handed down with the name, never kept by the layer.
#pragma once

namespace base {

enum class NameForm {
  kAnsi,  // bytes of the system's ANSI code page (the window's way)
  kUtf8,  // UTF-8 (the command line's way)
};

}  // namespace base
