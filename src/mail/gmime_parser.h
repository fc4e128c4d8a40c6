#pragma once
// The MIME side of reading e-mail, done by GMime: message structure, transfer
// encodings and charsets. Kept apart from the core, which sees only the
// MessageParser interface.

#include "game/mail_finder.h"

namespace quorvane::mail {

class GMimeMessageParser : public MessageParser {
public:
    // Initialises GMime once per process; it is shut down at exit.
    GMimeMessageParser();
    std::vector<MessageTextPart> TextParts(std::string_view message) override;
};

} // namespace quorvane::mail
