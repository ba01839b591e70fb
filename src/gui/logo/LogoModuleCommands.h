#pragma once

#include "frame/ModuleCommand.h"

#include <vector>

// The Logo Download module's commands: Open Bitmap, Logo Size, the zoom and threshold
// items, and the Test Feed, Test Print, Flash and Print Logo buttons.
std::vector<ModuleCommand> LogoModuleCommands();
