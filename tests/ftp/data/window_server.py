#!/usr/bin/python3
"""Loopback FTP server for the publishing window's tests.

Usage: window_server.py ROOT TRANSCRIPT [PERMISSIONS]
Serves ROOT to the user "pemo" (password "secret") on 127.0.0.1, on a port
of the system's choosing printed as "PORT <n>" on the first line of output,
and appends every command line received to TRANSCRIPT. Ends when its
standard input closes.
"""
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, transcript = sys.argv[1], sys.argv[2]
perms = sys.argv[3] if len(sys.argv) > 3 else "elradfmw"


class RecordingHandler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        with open(transcript, "a", encoding="utf-8") as out:
            out.write(line + "\n")
        return super().pre_process_command(line, cmd, arg)


authorizer = DummyAuthorizer()
authorizer.add_user("pemo", "secret", root, perm=perms)
RecordingHandler.authorizer = authorizer
RecordingHandler.passive_ports = None
server = FTPServer(("127.0.0.1", 0), RecordingHandler)
print("PORT %d" % server.address[1], flush=True)


def watch_stdin():
    sys.stdin.read()
    os._exit(0)


threading.Thread(target=watch_stdin, daemon=True).start()
server.serve_forever(timeout=0.2, handle_exit=False)
