#pragma once
// What the terminal side uses of the menus, dialogs and clipboard: the
// queued menu command, the start-up dialogs, prompts and the paste buffer.
// The ordinary message box is in ui/message_box.h.
#include "ui/clipboard/clipboard.h"
#include "ui/dialogs/dialog_entries.h"
#include "ui/language_module.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/menus/menu_state.h"
#include "ui/text_prompts.h"
