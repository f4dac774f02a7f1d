#!/usr/bin/python3
"""Loopback FTP server for the publishing window's tests.

Usage: window_server.py ROOT TRANSCRIPT [PERMISSIONS]
Serves ROOT to the user "pemo" (password "secret") on 127.0.0.1, on a port
of the system's choosing printed as "PORT <n>" on the first line of output,
and appends every command line received to TRANSCRIPT. Ends when its
standard input closes.

With PEMO_CUT_AFTER=<n> in the environment, the first upload that reaches n
bytes is cut there: what arrived stays on disk, and both the data and the
control connection are dropped, as when a line goes down.
"""
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

root, transcript = sys.argv[1], sys.argv[2]
perms = sys.argv[3] if len(sys.argv) > 3 else "elradfmw"
cut_after = int(os.environ.get("PEMO_CUT_AFTER", "0"))
cut_done = [False]


class CuttingDTPHandler(DTPHandler):
    def handle_read(self):
        super().handle_read()
        if (cut_after and not cut_done[0] and self.receive
                and self.tot_bytes_received >= cut_after):
            cut_done[0] = True
            self.file_obj.flush()
            os.fsync(self.file_obj.fileno())
            control = self.cmd_channel
            self.close()
            control.close()

    # The base class reads through this name, not through handle_read.
    handle_read_event = handle_read


class RecordingHandler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        with open(transcript, "a", encoding="utf-8") as out:
            out.write(line + "\n")
        return super().pre_process_command(line, cmd, arg)


authorizer = DummyAuthorizer()
authorizer.add_user("pemo", "secret", root, perm=perms)
RecordingHandler.authorizer = authorizer
RecordingHandler.passive_ports = None
RecordingHandler.dtp_handler = CuttingDTPHandler
server = FTPServer(("127.0.0.1", 0), RecordingHandler)
print("PORT %d" % server.address[1], flush=True)


def watch_stdin():
    sys.stdin.read()
    os._exit(0)


threading.Thread(target=watch_stdin, daemon=True).start()
server.serve_forever(timeout=0.2, handle_exit=False)
