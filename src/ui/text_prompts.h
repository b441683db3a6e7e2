#pragma once
// The one-line text prompts (host name, user name, password, free text) and the login prompt.
// They share one set of buffers and one dialog procedure; on OK the procedure leaves the prefix and
// the typed text in PendingCommand, from where the caller takes it (or, with a command prefix, the
// main loop runs it).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// Text capacities of the shared buffers, in characters, not counting the terminating zero.
inline constexpr size_t kPromptTextMax = 100;
inline constexpr size_t kPromptLabelMax = 70;
inline constexpr size_t kPromptCaptionMax = 50;
inline constexpr size_t kPromptPrefixMax = 255;
inline constexpr size_t kPromptPasswordMax = 100;
// What the prompt's edit field delivers, and what PendingCommand holds.
inline constexpr size_t kPromptTypedMax = 250;
inline constexpr size_t kPendingCommandMax = 255;

// Text in the ANSI code page, as the dialogs show it.
struct TextPromptUnit {
    std::string PromptText;      // initial text; the login prompt's user name
    std::string PromptLabel;     // line above the edit field
    std::string PromptCaption;   // window caption
    std::string PromptPrefix;    // put in front of the typed text in PendingCommand
    std::string PromptPassword;  // the login prompt's password; zeroed after use
    bool PromptUserEditable = false;
    std::string NoticeText;  // host name of the login prompt
};
extern TextPromptUnit textPrompts;
void ResetTextPrompts();

// The dialog results the prompts know.
inline constexpr int kPromptOk = 1;
inline constexpr int kPromptCancel = 0;
inline constexpr int kPromptNoTemplate = -1;

// What the dialog procedures do with the typed text, shared by every platform's procedures.
// OK of "STRINGIN"/"PASSWORD": PendingCommand := prefix + typed text (at most 250), cut to 255.
void StringInAccept(std::string_view typed);
// OK of "LOGINPASSWORD": the fields into PromptText and PromptPassword, at most 100 each.
void LoginPasswordAccept(std::string_view user, std::string_view password);
// The login prompt's OK is enabled only with both fields filled in.
bool LoginPasswordOkEnabled(std::string_view user, std::string_view password);

// Overwrites the text's bytes with zeros before emptying it, so no copy of a secret is left.
void WipeText(std::string& text);

bool StringInputPrompt(std::u16string_view caption, std::u16string_view label,
                       std::u16string& result, std::u16string_view initial);
// Asks for a user name; empty when cancelled.
void UsernamePrompt(std::string& name);
// Asks for a password; empty when cancelled.
void PasswordPrompt(std::string& password);
// The login-and-password prompt; on OK the user (when editable) and the password take the typed
// text cut to their maximums.
bool LoginPasswordPrompt(std::string_view host, bool userEditable, std::string& user,
                         size_t userMax, std::string& password, size_t passwordMax);
// Edit the settings' host name and SOCKS host; true when confirmed.
bool HostNamePrompt();
bool SocksHostPrompt();

}  // namespace ui

namespace platform {

// Runs the prompt dialogs over the shared buffers of ui::textPrompts. Each returns the dialog's
// result: ui::kPromptOk, ui::kPromptCancel or ui::kPromptNoTemplate.
class PromptDialogs {
  public:
    virtual ~PromptDialogs() = default;
    // "STRINGIN", or "PASSWORD" with a password field.
    virtual int StringIn(bool password) = 0;
    virtual int LoginPassword() = 0;
    // Whether the program's own copy of the terminal window's menu holds the item.
    virtual bool OwnMenuHoldsItem(uint16_t itemId) = 0;
};

// nullptr restores the default, under which every prompt finds no template.
void SetPromptDialogs(PromptDialogs* dialogs);
PromptDialogs& CurrentPromptDialogs();

}  // namespace platform
