#include "ui/message_box.h"

#include <cstddef>

namespace ui {
namespace {

int SilentMessageBox(std::string_view) {
    return MessageBoxOk;
}

struct MessageBoxSeam {
    MessageBoxFunction Show = SilentMessageBox;
};
MessageBoxSeam MessageBoxState;

}  // namespace

int LangMessageBoxShort(std::string_view text) {
    // The box takes a short string; cut longer texts without splitting a
    // UTF-8 sequence.
    if (text.size() > 255) {
        size_t cut = 255;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text = text.substr(0, cut);
    }
    return MessageBoxState.Show(text);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) {
    MessageBoxFunction previous = MessageBoxState.Show;
    MessageBoxState.Show = show ? show : SilentMessageBox;
    return previous;
}

}  // namespace ui
