#pragma once
// The user's mail program, reached through xdg-email: whether the desktop names one, and a new
// message with a file attached.
#include "data/CounterpartyMail.h"

#include <QString>

namespace vi23 {

// xdg-email is there and a program takes mailto: links ($MAILER, or the desktop's default).
bool mailProgramSet();
// A new message in the user's mail program with the file attached, the envelope's subject and
// address; throws UserError when xdg-email cannot be started.
void openMailWithAttachment(const MailEnvelope& envelope, const QString& file);

} // namespace vi23
