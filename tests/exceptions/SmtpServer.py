# A mail server on the loopback for the reporter's SMTP tests. Prints its port, then serves until
# its standard input closes. Into the folder of its argument it writes "events" (one line per
# command it saw) and, per accepted message, "message-N" with the message parsed back by the
# email package: "key=hex(value)" lines.
import asyncio
import email
import email.policy
import logging
import os
import sys
import threading

from aiosmtpd.smtp import SMTP, AuthResult

logging.getLogger("mail.log").setLevel(logging.CRITICAL)

folder = sys.argv[1]
count = 0


def event(text):
    with open(os.path.join(folder, "events"), "a", encoding="utf-8") as f:
        f.write(text + "\n")


def field(lines, key, value):
    if isinstance(value, str):
        value = value.encode("utf-8", "surrogateescape")
    lines.append(key + "=" + value.hex())


def authenticator(server, session, envelope, mechanism, data):
    event("AUTH %s %s %s" % (mechanism, data.login.decode(), data.password.decode()))
    ok = data.password != b"wrong"
    return AuthResult(success=ok, handled=False, auth_data=data if ok else None)


class Handler:
    async def handle_HELO(self, server, session, envelope, hostname):
        event("HELO " + hostname)
        session.host_name = hostname
        return "250 hello"

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        event("EHLO " + hostname)
        session.host_name = hostname
        return responses

    async def handle_RCPT(self, server, session, envelope, address, options):
        if address.startswith("refused"):
            event("RCPT %s 550" % address)
            return "550 no such user"
        if address.startswith("later"):
            event("RCPT %s 451" % address)
            return "451 try again later"
        event("RCPT %s 250" % address)
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        global count
        count += 1
        msg = email.message_from_bytes(envelope.content, policy=email.policy.default)
        lines = []
        field(lines, "mail_from", envelope.mail_from)
        field(lines, "rcpt_to", ",".join(envelope.rcpt_tos))
        for key in ("From", "To", "Subject", "Date", "Message-ID", "X-Priority", "X-Library", "MIME-Version"):
            field(lines, key, str(msg.get(key, "")))
        field(lines, "content_type", msg.get_content_type())
        for part in msg.iter_parts():
            if part.get_content_disposition() == "attachment":
                field(lines, "attachment_name", part.get_filename() or "")
                field(lines, "attachment_type", part.get_content_type())
                field(lines, "attachment", part.get_content())
            else:
                field(lines, "body_type", part.get_content_type())
                field(lines, "body_charset", part.get_content_charset() or "")
                field(lines, "body", part.get_content())
        with open(os.path.join(folder, "message-%d" % count), "w") as f:
            f.write("\n".join(lines) + "\n")
        event("DATA %d" % count)
        return "250 accepted"

    async def handle_QUIT(self, server, session, envelope):
        event("QUIT")
        return "221 bye"


async def main():
    loop = asyncio.get_running_loop()
    srv = await loop.create_server(
        lambda: SMTP(Handler(), authenticator=authenticator, auth_require_tls=False, decode_data=False),
        "127.0.0.1", 0)
    print(srv.sockets[0].getsockname()[1], flush=True)
    done = loop.create_future()

    def wait_for_stdin_end():
        sys.stdin.buffer.read()
        loop.call_soon_threadsafe(done.set_result, 0)

    threading.Thread(target=wait_for_stdin_end, daemon=True).start()
    await done
    srv.close()


asyncio.run(main())
