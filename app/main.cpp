// QUILLMER.EXE: shows a Pegasus Mail mailing list with its names resolved.
#include "app/main_window.h"

int main() {
  return app::Run();
}
