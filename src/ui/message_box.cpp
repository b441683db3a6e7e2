#include "ui/message_box.h"
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
    // The box takes a short string.
    if (text.size() > 255) text = text.substr(0, 255);
    return MessageBoxState.Show(text);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) {
    MessageBoxFunction previous = MessageBoxState.Show;
    MessageBoxState.Show = show ? show : SilentMessageBox;
    return previous;
}

}  // namespace ui
