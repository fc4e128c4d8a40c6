// The entry point of quorvane_mail.so, the GMime parser as a module of its own:
// the window program loads it (mail_module.h) only when the first message needs
// parsing, so its start-up never maps GMime and the libraries GMime brings.
#include "mail/gmime_parser.h"
#include "mail/mail_module.h"

extern "C" __attribute__((visibility("default"))) quorvane::MessageParser *quorvane_mail_new_parser() {
    return new quorvane::mail::GMimeMessageParser();
}
