#include "app/UpdateSettings.h"

namespace update {

Settings& Config() {
  static Settings settings;
  return settings;
}

}  // namespace update
