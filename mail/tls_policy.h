// Which ports start with TLS at once instead of upgrading with STLS or
// STARTTLS: 995 (POP3S) and 465 (SMTPS). Test servers that cannot listen on
// those ports add their own.
#pragma once

namespace mirte::mail {

bool IsImplicitTlsPort(int port);
void AddImplicitTlsPort(int port);

}  // namespace mirte::mail
