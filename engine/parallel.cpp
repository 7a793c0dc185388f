#include "engine/parallel.h"

namespace engine {

bool HasSecondProcessor() {
  static const bool second = std::thread::hardware_concurrency() > 1;
  return second;
}

}  // namespace engine
