#include "connections/telnet_protocol.h"

#include <algorithm>

namespace connections {

using namespace telnet;

namespace {

TelnetSecurity noSecurity;

const char* KnownOptionName(uint8_t option) {
    switch (option) {
        case 0:
            return "BINARY";
        case 1:
            return "ECHO";
        case 3:
            return "SGA";
        case 5:
            return "STATUS";
        case 18:
            return "LOGOUT";
        case 24:
            return "TERMTYP";
        case 31:
            return "NAWS";
        case 32:
            return "TSPEED";
        case 33:
            return "REMFLOW";
        case 34:
            return "LINEMODE";
        case 35:
            return "XLOCATN";
        case 36:
            return "ENVIRON";
        case 37:
            return "AUTH";
        case 38:
            return "ENCRYPT";
        case 39:
            return "NEW-ENV";
        default:
            return nullptr;
    }
}

const char* const kCommandNames[16] = {"SE",      "NOP",   "DM",      "BREAK", "IP", "AO",
                                       "AYT",     "EC",    "EL",      "GA",    "SB", "WILLTEL",
                                       "WONTTEL", "DOTEL", "DONTTEL", "IAC"};

const char* const kEncryptNames[9] = {"IS",          "SUPPORT",   "REPLY",
                                      "START",       "END",       "REQUEST-START",
                                      "REQUEST-END", "ENC-KEYID", "DEC-KEYID"};
const char* const kAuthNames[4] = {"IS", "SEND", "REPLY", "NAME"};

// Subnegotiation payloads double IAC so that a 255 in a name or value cannot
// end the subnegotiation early.
void AppendEscaped(std::string& out, std::string_view text) {
    for (char ch : text) {
        out.push_back(ch);
        if (static_cast<uint8_t>(ch) == kIAC) out.push_back(ch);
    }
}

}  // namespace

std::string TelnetEncryptCommandName(uint8_t command) {
    return command < 9 ? kEncryptNames[command] : std::to_string(command);
}

std::string TelnetOptionName(uint8_t option) {
    const char* known = KnownOptionName(option);
    return known != nullptr ? std::string(known) : std::to_string(option);
}

std::string TelnetCommandName(uint8_t command) {
    return command >= kSE ? std::string(kCommandNames[command - kSE]) : std::to_string(command);
}

void TelnetProtocol::Attach(TelnetLink* link, TelnetSettings* settings, TelnetSecurity* security) {
    link_ = link;
    settings_ = settings;
    security_ = security != nullptr ? security : &noSecurity;
}

void TelnetProtocol::Reset() {
    collector_ = TelnetCollector{};
    state_ = TelnetNegotiation{};
    subIac_ = overflowed_ = replyHandled_ = false;
}

bool TelnetProtocol::TelnetProcessIac(bool take) {
    link_->ReceiveMore();
    if (link_->InputEmpty()) return false;
    const uint8_t c = link_->PeekInput();
    if (collector_.count == 0) {
        // Only called with IAC at the head; anything else is data.
        if (c != kIAC) return false;
        collector_.bytes[0] = kIAC;
        collector_.count = 1;
        link_->TakeInput();
        return false;
    }
    if (collector_.count == 1 && c == kIAC) {
        // IAC IAC: a literal 255 that the caller delivers as data.
        if (take) {
            collector_.count = 0;
            link_->TakeInput();
        }
        return true;
    }
    link_->TakeInput();
    if (collector_.count == 1) {
        HandleCommandByte(c);
    } else if (collector_.count == 2) {
        const uint8_t command = collector_.bytes[1];
        if (command == kSB) {
            collector_.bytes[2] = c;
            collector_.count = 3;
            subIac_ = overflowed_ = replyHandled_ = false;
        } else {
            collector_.count = 0;
            HandleOption(command, c);
        }
    } else {
        SubnegotiationByte(c);
    }
    return false;
}

void TelnetProtocol::HandleCommandByte(uint8_t c) {
    if (c == 6 || (c >= kSB && c <= kDONT)) {
        collector_.bytes[1] = c;
        collector_.count = 2;
        return;
    }
    collector_.count = 0;
    link_->LogReceived("IAC " + TelnetCommandName(c));
}

void TelnetProtocol::HandleOption(uint8_t command, uint8_t option) {
    if (command == 6) {
        link_->LogReceived("IAC 6 " + TelnetOptionName(option));
        return;
    }
    link_->LogReceived("IAC " + TelnetCommandName(command) + " " + TelnetOptionName(option));
    switch (command) {
        case kWILL:
            HandleWill(option);
            break;
        case kWONT:
            HandleWont(option);
            break;
        case kDO:
            HandleDo(option);
            break;
        case kDONT:
            HandleDont(option);
            break;
        default:
            break;
    }
}

void TelnetProtocol::SendChecked(uint8_t command, uint8_t option) {
    if (!TelnetSendOption(command, option)) link_->ReplyFailed();
}

void TelnetProtocol::HandleWill(uint8_t option) {
    switch (option) {
        case kOptBinary:
            if (!state_.binarySent) {
                SendChecked(kDO, kOptBinary);
                state_.binarySent = 1;
            }
            break;
        case kOptEcho:
            if (!state_.remoteEcho) {
                SendChecked(kDO, kOptEcho);
                state_.remoteEcho = 1;
            }
            link_->SetFullDuplex(true);
            break;
        case kOptSga:
            if (!state_.sgaSent) {
                SendChecked(kDO, kOptSga);
                state_.sgaSent = 1;
            }
            break;
        case kOptEncrypt:
            if (settings_->SrpEncryptMode != 0 && security_->Available()) {
                if (state_.encryptInputState == 0) TelnetSendOption(kDO, kOptEncrypt);
                state_.encryptInputState = 2;
                security_->TelnetEncryptSendSupport();
            } else {
                SendChecked(kDONT, kOptEncrypt);
            }
            break;
        default:
            SendChecked(kDONT, option);
            break;
    }
}

void TelnetProtocol::HandleWont(uint8_t option) {
    if (option != kOptEcho) return;
    if (state_.remoteEcho) {
        SendChecked(kDONT, kOptEcho);
        state_.remoteEcho = 0;
    }
    link_->SetFullDuplex(false);
}

void TelnetProtocol::HandleDo(uint8_t option) {
    switch (option) {
        case kOptTerminalType:
            if (!state_.ttypeOn) {
                TelnetSendOption(kWILL, kOptTerminalType);
                state_.ttypeOn = 1;
                state_.TermTypeIndex = 0;
            }
            break;
        case kOptNaws:
            if (!settings_->SendWindowSize) {
                TelnetSendOption(kWONT, kOptNaws);
            } else if (state_.nawsState != 2) {
                if (state_.nawsState == 0) TelnetSendOption(kWILL, kOptNaws);
                state_.nawsState = 2;
                SendConsoleSize();
            }
            break;
        case kOptEnviron:
            if (state_.newEnvironOn) {
                TelnetSendOption(kWONT, kOptEnviron);
            } else if (!state_.environOn) {
                TelnetSendOption(kWILL, kOptEnviron);
                state_.environOn = 1;
            }
            break;
        case kOptAuthentication:
            if (!security_->Available()) {
                TelnetSendOption(kWONT, kOptAuthentication);
                break;
            }
            if (state_.authState == 0) TelnetSendOption(kWILL, kOptAuthentication);
            state_.authState = 2;
            break;
        case kOptEncrypt:
            if (settings_->SrpEncryptMode == 0 || !security_->Available()) {
                TelnetSendOption(kWONT, kOptEncrypt);
            } else {
                if (state_.encryptOutputState == 0) TelnetSendOption(kWILL, kOptEncrypt);
                state_.encryptOutputState = 2;
            }
            break;
        case kOptNewEnviron:
            if (!state_.newEnvironOn) {
                TelnetSendOption(kWILL, kOptNewEnviron);
                state_.newEnvironOn = 1;
            }
            break;
        default:
            TelnetSendOption(kWONT, option);
            break;
    }
}

void TelnetProtocol::HandleDont(uint8_t option) {
    switch (option) {
        case kOptTerminalType:
            if (state_.ttypeOn) {
                TelnetSendOption(kWONT, kOptTerminalType);
                state_.ttypeOn = 0;
            }
            break;
        case kOptNaws:
            if (state_.nawsState == 2) TelnetSendOption(kWONT, kOptNaws);
            state_.nawsState = 0;
            break;
        case kOptEnviron:
            if (state_.environOn) {
                TelnetSendOption(kWONT, kOptEnviron);
                state_.environOn = 0;
            }
            break;
        case kOptAuthentication:
            if (state_.authState == 2) TelnetSendOption(kWONT, kOptAuthentication);
            state_.authState = 0;
            break;
        case kOptEncrypt:
            if (state_.encryptOutputState == 2) TelnetSendOption(kWONT, kOptEncrypt);
            state_.encryptOutputState = 0;
            break;
        case kOptNewEnviron:
            if (state_.newEnvironOn) TelnetSendOption(kWONT, kOptNewEnviron);
            TelnetSendOption(kWILL, kOptEnviron);
            state_.newEnvironOn = 0;
            state_.environOn = 1;
            break;
        default:
            break;
    }
}

// Inside a subnegotiation only IAC SE ends it (a lone 240 is data) and IAC IAC
// is one 255 data byte. IAC before anything else means the host abandoned the
// subnegotiation: that byte starts a new command.
void TelnetProtocol::SubnegotiationByte(uint8_t c) {
    if (!subIac_) {
        if (c == kIAC) {
            subIac_ = true;
        } else {
            SubnegotiationData(c);
        }
        return;
    }
    subIac_ = false;
    if (c == kSE) {
        FinishSubnegotiation();
    } else if (c == kIAC) {
        SubnegotiationData(kIAC);
    } else {
        link_->LogReceived("IAC SB " + TelnetOptionName(collector_.bytes[2]) + " abandoned");
        collector_.count = 1;
        HandleCommandByte(c);
    }
}

void TelnetProtocol::SubnegotiationData(uint8_t c) {
    if (overflowed_) return;
    if (collector_.count >= 3 + TelnetCollector::kMaxData) {
        // Too long to be one this side answers: the rest is skipped, not
        // passed on as data, up to its IAC SE.
        link_->LogReceived("iac-string overflow");
        overflowed_ = true;
        return;
    }
    collector_.bytes[collector_.count++] = c;
    if (collector_.bytes[2] == kOptAuthentication && collector_.count == 4 && c == 2) {
        // AUTHENTICATION REPLY is dispatched as soon as its kind is known.
        LogSubnegotiation(collector_, false);
        replyHandled_ = true;
        if (security_->SrpAuthReply()) collector_.count = 0;
        link_->RefreshTitle();
    }
}

void TelnetProtocol::FinishSubnegotiation() {
    if (overflowed_) {
        collector_.count = 0;
        return;
    }
    collector_.bytes[collector_.count++] = kIAC;
    collector_.bytes[collector_.count++] = kSE;
    // A copy, so that replies sent from the dispatch (which may receive and
    // even reset the connection) never see a half-updated collector.
    const TelnetCollector done = collector_;
    const bool dispatch = !replyHandled_;
    collector_.count = 0;
    LogSubnegotiation(done, true);
    if (dispatch) Dispatch(done);
}

void TelnetProtocol::Dispatch(const TelnetCollector& done) {
    const int dataCount = done.count - 5;
    const uint8_t first = dataCount > 0 ? done.bytes[3] : 0xFF;
    switch (done.bytes[2]) {
        case kOptTerminalType:
            TelnetSendTermType();
            break;
        case kOptEnviron:
            TelnetSendEnviron(false);
            break;
        case kOptNewEnviron:
            TelnetSendEnviron(true);
            break;
        case kOptAuthentication:
            if (first == 1 && security_->SrpAuthSend(done)) link_->StopAutoLogin();
            break;
        case kOptEncrypt:
            security_->TelnetEncryptDispatch(done);
            break;
        default:
            break;
    }
}

void TelnetProtocol::LogSubnegotiation(const TelnetCollector& c, bool ended) {
    const uint8_t option = c.bytes[2];
    std::string line = "IAC SB " + TelnetOptionName(option);
    const int dataEnd = ended ? c.count - 2 : c.count;
    for (int i = 3; i < dataEnd; ++i) {
        const uint8_t b = c.bytes[i];
        line += ' ';
        if (i == 3 && option == kOptEncrypt && b < 9) {
            line += kEncryptNames[b];
        } else if (i == 3 && option == kOptAuthentication && b < 4) {
            line += kAuthNames[b];
        } else {
            line += std::to_string(b);
        }
    }
    if (ended) line += " IAC SE";
    link_->LogReceived(line);
}

bool TelnetProtocol::TelnetSendOption(uint8_t command, uint8_t option) {
    const uint8_t bytes[3] = {kIAC, command, option};
    const bool sent = link_->SendRaw(bytes, 3);
    link_->LogSent("IAC " + TelnetCommandName(command) + " " + TelnetOptionName(option));
    return sent;
}

bool TelnetProtocol::SendPacket(const std::string& bytes) {
    return link_->SendRaw(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int32_t>(bytes.size()));
}

void TelnetProtocol::TelnetSendTermType() {
    const char sep = settings_->TermNameSeparator;
    std::string list = settings_->TermNameList;
    if (list.empty()) {
        list = settings_->TerminalType;
        if (list == "SCOANSI")
            list = settings_->OldScoAnsi ? "ANSI" : "SCOANSI" + std::string(1, sep) + "ANSI";
    }
    // Each request answers the next name; the last is repeated once to mark
    // the end of the list, and the request after that starts over.
    size_t pos = 0;
    for (int32_t i = 0; i < state_.TermTypeIndex; ++i) {
        const size_t next = list.find(sep, pos);
        if (next == std::string::npos) {
            state_.TermTypeIndex = -1;
            break;
        }
        pos = next + 1;
    }
    const size_t end = list.find(sep, pos);
    const std::string name =
        list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    ++state_.TermTypeIndex;

    std::string packet = {char(kIAC), char(kSB), char(kOptTerminalType), 0};
    AppendEscaped(packet, name);
    packet += {char(kIAC), char(kSE)};
    SendPacket(packet);
    link_->LogSent("IAC SB TERMTYP 0 " + name + " IAC SE");
}

void TelnetProtocol::TelnetSendEnviron(bool isNew) {
    const uint8_t option = isNew ? kOptNewEnviron : kOptEnviron;
    // The old option has VAR and VALUE the other way round.
    const char var = isNew ? 0 : 1;
    const char value = isNew ? 1 : 0;
    SendPacket({char(kIAC), char(kSB), char(option), 0});
    link_->LogSent("IAC SB " + TelnetOptionName(option) + " 0 ");

    const std::string& text = settings_->EnvironmentText;
    const char sep = settings_->TermNameSeparator;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(sep, pos);
        if (end == std::string::npos) end = text.size();
        const std::string_view item(text.data() + pos, end - pos);
        pos = end + 1;
        const size_t eq = item.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string name(item.substr(0, eq));
        const std::string expanded = link_->ExpandVariables(item.substr(eq + 1));
        std::string packet(1, var);
        AppendEscaped(packet, name);
        packet += value;
        AppendEscaped(packet, expanded);
        SendPacket(packet);
        link_->LogSent(" " + std::to_string(var) + " " + name + " " + std::to_string(value) + " " +
                       expanded);
    }
    SendPacket({char(kIAC), char(kSE)});
    link_->LogSent("IAC SE");
}

void TelnetProtocol::SendConsoleSize() {
    int32_t columns = 80, rows = 25;
    link_->ConsoleSize(columns, rows);
    SendNaws(columns, rows - 1);
}

void TelnetProtocol::SendNaws(int32_t columns, int32_t rows) {
    if (state_.nawsState != 2 || !settings_->SendWindowSize) return;
    const int32_t w = std::clamp(columns, 0, 65535);
    const int32_t h = std::clamp(rows, 0, 65535);
    const uint8_t size[4] = {uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 8), uint8_t(h)};
    std::string packet = {char(kIAC), char(kSB), char(kOptNaws)};
    std::string log = "IAC SB NAWS";
    for (uint8_t b : size) {
        packet += char(b);
        if (b == kIAC) packet += char(b);
        log += " " + std::to_string(b);
    }
    packet += {char(kIAC), char(kSE)};
    SendPacket(packet);
    link_->LogSent(log + " IAC SE");
}

void TelnetProtocol::SendInitialOffers() {
    TelnetSendOption(kDO, kOptEcho);
    TelnetSendOption(kWILL, kOptTerminalType);
    state_.ttypeOn = 1;
    if (settings_->SendWindowSize) {
        TelnetSendOption(kWILL, kOptNaws);
        state_.nawsState = 1;
    }
    TelnetSendOption(kWILL, kOptNewEnviron);
    state_.newEnvironOn = 1;
    if (settings_->TelnetBinary) TelnetSendOption(kDO, kOptBinary);
    const bool secure = security_->Available();
    if (settings_->SrpEncryptMode != 0 && secure) {
        TelnetSendOption(kWILL, kOptEncrypt);
        TelnetSendOption(kDO, kOptEncrypt);
        state_.encryptOutputState = 1;
        state_.encryptInputState = 1;
    } else {
        state_.encryptOutputState = 0;
        state_.encryptInputState = 0;
    }
    if (settings_->SrpAuthMode != 0 && secure) {
        TelnetSendOption(kWILL, kOptAuthentication);
        state_.authState = 1;
    } else {
        state_.authState = 0;
    }
}

}  // namespace connections
