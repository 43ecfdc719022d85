#include "ui/commands.h"

namespace {

#define KEYS(...) {__VA_ARGS__}
#define KEY(k) Shortcut{0, uint16_t(k)}
#define CTRL(k) Shortcut{kModCtrl, uint16_t(k)}
#define SHIFT(k) Shortcut{kModShift, uint16_t(k)}
#define ALT(k) Shortcut{kModAlt, uint16_t(k)}
#define CTRL_SHIFT(k) Shortcut{uint8_t(kModCtrl | kModShift), uint16_t(k)}

const CommandInfo kCommands[] = {
#define FV_COMMAND(name, id, display, rule, light, handler, keys) \
  {name, display, CommandRule::rule, CommandLight::light, keys},
#define FV_BUTTON(...)
#include "ui/commands.def"
#undef FV_COMMAND
#undef FV_BUTTON
};

}  // namespace

std::span<const CommandInfo> CommandTable() { return kCommands; }

const CommandInfo* FindCommand(unsigned short id) {
  for (const CommandInfo& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}
