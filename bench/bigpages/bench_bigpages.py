#!/usr/bin/python3
# Debian's own interpreter: python3-xlib is installed for it.
"""Big pages, side by side: this editor against KWrite, in one run.

Both programs open the same generated pages on a private virtual display with
a window manager. For each page and program it measures:
  open-idle   seconds from start until the main thread stops using the
              processor (at most 5 ms of it over 500 ms), and that thread's
              processor time up to then;
  PSS         memory of the program and all its children (smaps_rollup);
  typing      200 letters in the middle of the page: main-thread processor
              per key, and two views of the longest stall;
  save        Ctrl+S after the typing: until the file on disk holds the typed
              letters, and until the main thread is idle again;
and, with no file, the time to the main window and to idle.

The machine is shared: only ratios within one run mean something.
Usage: bench_bigpages.py --ours PATH [--out DIR] [--pages 100k,5M,...]
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from Xlib import X, display as xdisplay
from Xlib.error import XError
from Xlib.protocol import event as xevent

sys.dont_write_bytecode = True   # no cache folder beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import genpages  # noqa: E402

KB, MB = 1000, 1000 * 1000
PAGES = [  # name, size, on one line
    ("100k", 100 * KB, False),
    ("1M", 1 * MB, False),
    ("5M", 5 * MB, False),
    ("5M-1ligne", 5 * MB, True),
    ("20M", 20 * MB, False),
    ("50M", 50 * MB, False),
]
SCREEN = (1280, 1024)
SAMPLE = 0.005          # main-thread sampling period
QUIET_WINDOW = 0.5      # idle: at most QUIET_CPU of processor over this window
QUIET_CPU = 0.005
BUSY_SHARE = 0.8        # a sample interval counts as busy above this share
OPEN_TIMEOUT = 300.0
SAVE_TIMEOUT = 120.0
TYPING_BUDGET = 180.0   # typing stops after this much wall time
PING_TIMEOUT = 10.0
KEYS = 200
TYPED_WORDS = "xkcd wyvz qoph jumq "   # words the pages do not contain


# ---------------------------------------------------------------- /proc

def thread_cpu(pid, tid=None):
    """Processor time of one thread in seconds (the main thread by default)."""
    tid = tid or pid
    try:
        with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
            return int(f.read().split()[0]) / 1e9
    except (OSError, ValueError, IndexError):
        return None


def process_cpu(pid):
    """Processor time of a whole process, all threads, in seconds."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, ValueError, IndexError):
        return None


def descendants(pid):
    """The process and every process below it."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        todo.extend(children.get(p, []))
    return found


def pss_mb(pid):
    """PSS of the process tree in MB, and how many processes it counts."""
    total, count = 0, 0
    for p in descendants(pid):
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        count += 1
                        break
        except OSError:
            pass
    return total / 1024, count


class Sampler(threading.Thread):
    """Reads the main thread's processor time every SAMPLE seconds."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid = pid
        self.samples = []          # (wall time, processor seconds)
        self.lock = threading.Lock()
        self.stopped = False

    def run(self):
        while not self.stopped:
            cpu = thread_cpu(self.pid)
            if cpu is None:
                break
            with self.lock:
                self.samples.append((time.monotonic(), cpu))
            time.sleep(SAMPLE)

    def snapshot(self, since=0.0):
        with self.lock:
            return [s for s in self.samples if s[0] >= since]

    def wait_idle(self, since, timeout):
        """Start of the first quiet window after `since`, with the processor
        used up to it; None on timeout or when the program is gone."""
        deadline = since + timeout
        while time.monotonic() < deadline and self.is_alive():
            time.sleep(0.05)
            samples = self.snapshot(since)
            j = 0
            for i, (t, cpu) in enumerate(samples):
                # the latest sample at least QUIET_WINDOW older than this one
                while j + 1 < len(samples) and samples[j + 1][0] <= t - QUIET_WINDOW:
                    j += 1
                if t - samples[j][0] >= QUIET_WINDOW and cpu - samples[j][1] <= QUIET_CPU:
                    return samples[j]
        return None

    def longest_busy(self, since, until):
        """Longest run of back-to-back sample intervals where the main thread
        was on the processor for most of the interval, in seconds."""
        samples = [s for s in self.snapshot(since) if s[0] <= until]
        best = run = 0.0
        for (t0, c0), (t1, c1) in zip(samples, samples[1:]):
            if t1 > t0 and (c1 - c0) / (t1 - t0) >= BUSY_SHARE:
                run += t1 - t0
                best = max(best, run)
            else:
                run = 0.0
        return best


# ---------------------------------------------------------------- X side

class Screen:
    """A virtual X display with a window manager, and a client of it."""

    def __init__(self, workdir):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise RuntimeError("Xvfb n'a pas démarré")
            number += chunk
        os.close(read_fd)
        self.name = ":" + number.decode().strip()
        home = os.path.join(workdir, "wm-home")
        os.makedirs(home, exist_ok=True)
        env = dict(os.environ, DISPLAY=self.name, HOME=home,
                   XDG_CONFIG_HOME=os.path.join(home, ".config"))
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.d = xdisplay.Display(self.name)
        self.root = self.d.screen().root
        # the toolkit answers pings to the root with StructureNotify
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        self.atom = {n: self.d.intern_atom(n) for n in (
            "_NET_CLIENT_LIST", "_NET_WM_PID", "_NET_WM_NAME", "_NET_WM_WINDOW_TYPE",
            "_NET_WM_WINDOW_TYPE_SPLASH", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_PING",
            "WM_PROTOCOLS", "UTF8_STRING", "_NET_SUPPORTING_WM_CHECK")}
        deadline = time.monotonic() + 20
        while not self._prop(self.root, "_NET_SUPPORTING_WM_CHECK"):
            if time.monotonic() > deadline:
                raise RuntimeError("openbox n'a pas démarré")
            time.sleep(0.05)
        self.serial = 0

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()

    def _prop(self, window, name, kind=X.AnyPropertyType):
        try:
            p = window.get_full_property(self.atom[name], kind)
            return p.value if p else None
        except XError:
            return None

    def windows_of(self, pid):
        """Managed windows of a process: (window, kind, caption), kind being
        'main', 'dialog' or 'splash'."""
        found = []
        for wid in self._prop(self.root, "_NET_CLIENT_LIST") or []:
            w = self.d.create_resource_object("window", wid)
            owner = self._prop(w, "_NET_WM_PID")
            if not owner or owner[0] != pid:
                continue
            types = list(self._prop(w, "_NET_WM_WINDOW_TYPE") or [])
            try:
                transient = w.get_wm_transient_for()
            except XError:
                # closed while the list was read (the splash screen at start-up)
                continue
            kind = "main"
            if self.atom["_NET_WM_WINDOW_TYPE_SPLASH"] in types:
                kind = "splash"
            elif self.atom["_NET_WM_WINDOW_TYPE_DIALOG"] in types or transient:
                kind = "dialog"
            name = self._prop(w, "_NET_WM_NAME", self.atom["UTF8_STRING"])
            if isinstance(name, bytes):
                name = name.decode("utf-8", "replace")
            found.append((w, kind, name or ""))
        return found

    def main_window(self, pid):
        for w, kind, name in self.windows_of(pid):
            if kind == "main":
                return w, name
        return None, None

    def ping(self, window, timeout=PING_TIMEOUT):
        """Round trip of a _NET_WM_PING: the toolkit answers it from the main
        thread's event loop, so it comes back only once that loop is free."""
        self.serial += 1
        serial = self.serial
        data = [self.atom["_NET_WM_PING"], serial, window.id, 0, 0]
        start = time.monotonic()
        window.send_event(xevent.ClientMessage(window=window, client_type=self.atom["WM_PROTOCOLS"],
                                               data=(32, data)), event_mask=0)
        self.d.flush()
        deadline = start + timeout
        while True:
            while self.d.pending_events():
                ev = self.d.next_event()
                if (ev.type == X.ClientMessage and ev.client_type == self.atom["WM_PROTOCOLS"]
                        and ev.data[1][0] == self.atom["_NET_WM_PING"] and ev.data[1][1] == serial):
                    return time.monotonic() - start
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.d.fileno()], [], [], min(left, 0.5))

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.name),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.name, "-window", "root", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


# ---------------------------------------------------------------- programs

class Program:
    """One program under test, started with a private home and settings."""

    def __init__(self, label, command, screen, workdir):
        self.label, self.command, self.screen, self.workdir = label, command, screen, workdir
        self.proc = None

    def _environment(self, private):
        env = dict(os.environ, DISPLAY=self.screen.name, HOME=private)
        for var, sub in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                         ("XDG_CACHE_HOME", ".cache"), ("XDG_STATE_HOME", ".local/state"),
                         ("XDG_RUNTIME_DIR", "runtime")):
            env[var] = os.path.join(private, sub)
            os.makedirs(env[var], mode=0o700, exist_ok=True)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("SESSION_MANAGER", None)
        env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
        env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS",
                       "--no-sandbox --disable-gpu --disable-background-networking")
        return env

    def start(self, page=None):
        self.private = tempfile.mkdtemp(prefix=self.label + "-", dir=self.workdir)
        self.prepare(self.private)
        args = list(self.command) + ([page] if page else [])
        self.started = time.monotonic()
        self.proc = subprocess.Popen(args, env=self._environment(self.private), cwd=self.private,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=open(os.path.join(self.private, "stderr.txt"), "wb"),
                                     start_new_session=True)
        self.sampler = Sampler(self.proc.pid)
        self.sampler.start()
        return self.proc.pid

    def prepare(self, private):
        """Settings written before the start; none by default."""

    def stop(self):
        """Kills the program and all it started: no "save?" question is asked,
        and the private folders, with their recovery copies, go."""
        if self.proc:
            tree = descendants(self.proc.pid)
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            for p in tree:
                try:
                    os.kill(p, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            self.proc.wait()
            self.sampler.stopped = True
            self.proc = None
        shutil.rmtree(self.private, ignore_errors=True)


class KWrite(Program):
    def prepare(self, private):
        # A fresh profile would otherwise ask nothing, but session restore and
        # swap files stay out of the way of a killed run.
        conf = os.path.join(private, ".config")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "kwriterc"), "w") as f:
            f.write("[General]\nRestore Window Configuration=false\n")


# ---------------------------------------------------------------- one page

def wait_window(prog, timeout):
    """The main window once it is managed, and when it was first seen."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and prog.proc.poll() is None:
        w, name = prog.screen.main_window(prog.proc.pid)
        if w:
            return w, time.monotonic()
        time.sleep(SAMPLE)
    return None, None


def dialogs(prog):
    return [name for _, kind, name in prog.screen.windows_of(prog.proc.pid) if kind == "dialog"]


def open_page(prog, path):
    """Starts the program on `path`; figures of the open, or a note on failure."""
    pid = prog.start(path)
    r = {"notes": []}
    w, seen = wait_window(prog, OPEN_TIMEOUT)
    if not w:
        r["notes"].append("pas de fenêtre")
        return r, None
    r["frame_s"] = seen - prog.started
    idle = prog.sampler.wait_idle(seen, OPEN_TIMEOUT)
    if not idle:
        r["notes"].append("jamais au repos en %.0f s" % OPEN_TIMEOUT)
        return r, w
    r["idle_s"] = idle[0] - prog.started
    r["idle_cpu_s"] = idle[1]
    r["proc_cpu_s"] = process_cpu(pid)
    r["pss_mb"], r["procs"] = pss_mb(pid)
    # the toolkit may have recreated the window since (an OpenGL view joins it)
    w, caption = prog.screen.main_window(pid)
    r["caption"] = caption
    if "[read only]" in (caption or "") or "lecture seule" in (caption or ""):
        r["notes"].append("ouverte en lecture seule")
        r["read_only"] = True
    shown = dialogs(prog)
    if shown:
        r["notes"].append("dialogue ouvert : %s" % ", ".join(shown))
    return r, w


def type_keys(prog, window, one_line):
    """Moves the caret to the middle by keys, then types KEYS letters one by
    one, each followed by a ping of the window."""
    scr, pid = prog.screen, prog.proc.pid
    scr.xdotool("windowactivate", "--sync", str(window.id))
    scr.xdotool("windowfocus", "--sync", str(window.id))
    if one_line:
        # one long line: its end, then back into the text
        scr.xdotool("key", "--delay", "20", "ctrl+End", *["Left"] * 40)
    else:
        scr.xdotool("key", "--delay", "20", "ctrl+Home", *["Next"] * 10, "Home")
    prog.sampler.wait_idle(time.monotonic(), 60)
    # Not every toolkit version answers pings: without an answer, each key is
    # followed by a short pause instead and only the processor view is given.
    idle_rt = scr.ping(window, timeout=3)
    r = {"ping_idle_ms": idle_rt * 1000} if idle_rt is not None else {}
    if idle_rt is None:
        prog.notes.append("pas de réponse au ping : arrêt le plus long mesuré au processeur seul")
    text = (TYPED_WORDS * (KEYS // len(TYPED_WORDS) + 1))[:KEYS]
    start, cpu0 = time.monotonic(), thread_cpu(pid)
    worst, typed = 0.0, 0
    for ch in text:
        scr.xdotool("key", "space" if ch == " " else ch)
        if idle_rt is None:
            time.sleep(0.01)
        else:
            rt = scr.ping(window)
            if rt is None:
                prog.notes.append("ping sans réponse en %.0f s après %d touches" % (PING_TIMEOUT, typed))
                worst = PING_TIMEOUT
                break
            worst = max(worst, rt)
        typed += 1
        if time.monotonic() - start > TYPING_BUDGET:
            prog.notes.append("frappe arrêtée après %d touches (%.0f s)" % (typed, TYPING_BUDGET))
            break
    sent = time.monotonic()
    idle = prog.sampler.wait_idle(sent, OPEN_TIMEOUT)
    end = idle[0] if idle else time.monotonic()
    cpu1 = idle[1] if idle else thread_cpu(pid)
    r.update(keys=typed, typed=text[:typed], wall_s=sent - start,
             ms_per_key=(cpu1 - cpu0) * 1000 / max(typed, 1),
             ping_max_ms=worst * 1000 if idle_rt is not None else None,
             busy_max_ms=prog.sampler.longest_busy(start, end) * 1000)
    return r


def save(prog, path, typed):
    """Ctrl+S; waits until the file holds the typed letters."""
    before = os.stat(path)
    prog.screen.xdotool("key", "ctrl+s")
    start = time.monotonic()
    r = {}
    deadline = start + SAVE_TIMEOUT
    expected = before.st_size + len(typed.encode())
    last, since = None, start
    # Written out once it holds the typed letters and either has the expected
    # size or has kept its size for a while: a file written in pieces holds the
    # letters long before its end is on disk.
    while time.monotonic() < deadline:
        try:
            st = os.stat(path)
        except FileNotFoundError:
            st = None        # between the removal and the rename
        now = time.monotonic()
        key = st and (st.st_ino, st.st_size, st.st_mtime_ns)
        if key != last:
            last, since = key, now
        if st and key != (before.st_ino, before.st_size, before.st_mtime_ns) and \
                (st.st_size == expected or now - since >= 0.25):
            with open(path, "rb") as f:
                if typed.encode() in f.read():
                    r["disk_s"] = (since if st.st_size != expected else now) - start
                    r["size_delta"] = st.st_size - before.st_size
                    break
        time.sleep(SAMPLE)
    else:
        prog.notes.append("fichier non enregistré en %.0f s" % SAVE_TIMEOUT)
    idle = prog.sampler.wait_idle(start, OPEN_TIMEOUT)
    if idle:
        r["idle_s"] = idle[0] - start
    shown = dialogs(prog)
    if shown:
        prog.notes.append("dialogue après Ctrl+S : %s" % ", ".join(shown))
    return r


def run_page(prog, name, source, one_line, shots):
    folder = tempfile.mkdtemp(prefix="page-", dir=prog.workdir)
    path = os.path.join(folder, "page-%s.html" % name)
    shutil.copyfile(source, path)
    prog.notes = []
    result = {}
    try:
        opened, window = open_page(prog, path)
        prog.notes.extend(opened.pop("notes"))
        result["open"] = opened
        if window and "idle_s" in opened and not opened.get("read_only"):
            if shots and name.startswith("5M"):
                prog.screen.screenshot(os.path.join(shots, "%s-%s.png" % (prog.label, name)))
            result["type"] = type_keys(prog, window, one_line)
            if result["type"]["keys"]:
                result["save"] = save(prog, path, result["type"]["typed"])
                if shots and name.startswith("5M"):
                    prog.screen.screenshot(os.path.join(shots, "%s-%s-saved.png" % (prog.label, name)))
    finally:
        result["notes"] = prog.notes
        prog.stop()
        shutil.rmtree(folder, ignore_errors=True)
    return result


def run_startup(prog):
    prog.notes = []
    try:
        pid = prog.start()
        w, seen = wait_window(prog, OPEN_TIMEOUT)
        if not w:
            return {"notes": ["pas de fenêtre"]}
        r = {"frame_s": seen - prog.started}
        idle = prog.sampler.wait_idle(seen, OPEN_TIMEOUT)
        if idle:
            r.update(idle_s=idle[0] - prog.started, idle_cpu_s=idle[1])
            r["pss_mb"], r["procs"] = pss_mb(pid)
        r["notes"] = dialogs(prog)
        return r
    finally:
        prog.stop()


def control_alone(exe, source):
    """The text control alone on the page: decoding and insertion, in s."""
    try:
        out = subprocess.run([exe, source], capture_output=True, text=True, timeout=OPEN_TIMEOUT,
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout
    except subprocess.TimeoutExpired:
        return {}
    fields = (f.partition("=") for f in out.split())
    return {k: float(v) for k, _, v in fields if k.endswith("_s") and v.replace(".", "", 1).isdigit()}


# ---------------------------------------------------------------- report

def fmt(v, form):
    return "-" if v is None else format(v, form)


def ratio(a, b):
    return "-" if a is None or b is None or b == 0 else "%.2f" % (a / b)


def get(results, prog, page, part, key):
    return results.get(prog, {}).get(page, {}).get(part, {}).get(key)


def report_floors(floors, results, peer):
    """What the text control alone takes to decode and hold each page a
    block a line, beside the whole opens (ours gathers a big page's lines)."""
    if not floors:
        return
    print("\nLe contrôle de texte seul, un bloc par ligne (document sans fenêtre : décodage + insertion, en s)")
    for page, f in floors.items():
        if "insert_s" not in f or "decode_s" not in f:
            print(f"  {page} : non mesuré")
            continue
        alone = f["decode_s"] + f["insert_s"]
        line = f"  {page} : {f['decode_s']:.2f} + {f['insert_s']:.2f} = {alone:.2f}"
        ours = get(results, "nous", page, "open", "idle_s")
        if ours:
            line += f" ; notre ouverture entière {ours:.2f}"
        theirs = get(results, peer, page, "open", "idle_s") if peer else None
        if theirs:
            line += f" ; celle de {peer} {theirs:.2f} ; ratio contrôle / {peer} {ratio(alone, theirs)}"
        print(line)


def report(results, labels, page_names):
    ours, peer = labels[0], (labels[1] if len(labels) > 1 else None)
    columns = [  # title, part, key, format
        ("ouverture s", "open", "idle_s", ".2f"),
        ("PSS Mo", "open", "pss_mb", ".0f"),
        ("ms/touche", "type", "ms_per_key", ".2f"),
        ("ping max ms", "type", "ping_max_ms", ".0f"),
        ("occupé max ms", "type", "busy_max_ms", ".0f"),
        ("enreg. s", "save", "disk_s", ".2f"),
    ]
    head = ["page"]
    for title, *_ in columns:
        head += [f"{title} nous"] + ([peer, "ratio"] if peer else [])
    rows = []
    for page in page_names:
        row = [page]
        for _, part, key, form in columns:
            a = get(results, ours, page, part, key)
            row.append(fmt(a, form))
            if peer:
                b = get(results, peer, page, part, key)
                row += [fmt(b, form), ratio(a, b)]
        rows.append(row)
    # start-up with no file: time to the main window, and memory then
    start = {"idle_s": "frame_s", "pss_mb": "pss_mb"}
    row = ["démarrage"]
    for _, part, key, form in columns:
        a = results.get(ours, {}).get("démarrage", {}).get(start.get(key, ""))
        row.append(fmt(a, form))
        if peer:
            b = results.get(peer, {}).get("démarrage", {}).get(start.get(key, ""))
            row += [fmt(b, form), ratio(a, b)]
    rows.append(row)
    widths = [max(len(str(r[i])) for r in [head] + rows) for i in range(len(head))]
    print(" | ".join(h.ljust(w) for h, w in zip(head, widths)))
    print("-+-".join("-" * w for w in widths))
    for r in rows:
        print(" | ".join(str(c).ljust(w) for c, w in zip(r, widths)))
    print("(ratio = nous / %s ; démarrage : jusqu'à la fenêtre principale, sans fichier)" % peer
          if peer else "")


def raw(results):
    print("\nChiffres bruts :")
    for label, pages in results.items():
        for page, parts in pages.items():
            print(f"  {label} {page}:")
            for part, values in parts.items():
                if isinstance(values, dict):
                    shown = ", ".join(f"{k}={v:.4g}" if isinstance(v, float) else f"{k}={v!r}"
                                      for k, v in values.items() if k != "typed")
                    print(f"    {part}: {shown}")
                elif values:
                    print(f"    {part}: {values}")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--ours", required=True, help="the editor's executable")
    ap.add_argument("--out", help="folder for the pages and screenshots (a temporary one by default)")
    ap.add_argument("--pages", help="names of the pages to run, comma-separated")
    ap.add_argument("--no-peer", action="store_true", help="measure this editor only")
    args = ap.parse_args()
    if not os.access(args.ours, os.X_OK):
        print(f"Banc des grandes pages : {args.ours} est introuvable, rien à mesurer.")
        return 0
    for tool in ("Xvfb", "openbox", "xdotool"):
        if not shutil.which(tool):
            print(f"Banc des grandes pages : {tool} manque (scripts/install-bench-deps.sh), banc sauté.")
            return 0
    keep = args.out is not None
    out = os.path.abspath(args.out) if keep else tempfile.mkdtemp(prefix="bigpages-")
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="run-", dir=out)
    pages = [p for p in PAGES if not args.pages or p[0] in args.pages.split(",")]

    screen = Screen(work)
    programs = [Program("nous", [os.path.abspath(args.ours)], screen, work)]
    kwrite = None if args.no_peer else shutil.which("kwrite")
    if kwrite:
        programs.append(KWrite("KWrite", [kwrite], screen, work))
    elif not args.no_peer:
        print("KWrite n'est pas installé : seuls nos chiffres sont donnés.")
    results = {p.label: {} for p in programs}
    # The text control by itself, built next to the editor.
    alone = os.path.join(os.path.dirname(os.path.abspath(args.ours)), "..", "..", "bench", "bigpages",
                         "textcontrol_alone")
    alone = alone if os.access(alone, os.X_OK) else None
    floors = {}
    try:
        for prog in programs:
            results[prog.label]["démarrage"] = run_startup(prog)
        for name, size, one_line in pages:
            source = os.path.join(out, "page-%s.html" % name)
            with open(source, "wb") as f:
                f.write(genpages.page(size, one_line))
            # each program in turn on the same page, so that both see the same load
            for prog in programs:
                print(f"  {name} : {prog.label}...", file=sys.stderr, flush=True)
                results[prog.label][name] = run_page(prog, name, source, one_line, out)
            if alone:
                floors[name] = control_alone(alone, source)
            os.remove(source)
    finally:
        for prog in programs:
            if prog.proc:
                prog.stop()
        screen.close()
        shutil.rmtree(work, ignore_errors=True)

    print("Grandes pages, côte à côte (une seule exécution ; seuls les ratios comptent)")
    report(results, [p.label for p in programs], [p[0] for p in pages])
    report_floors(floors, results, programs[1].label if len(programs) > 1 else None)
    raw(results)
    print(f"\nCaptures d'écran : {out}" if keep else "")
    if not keep:
        shutil.rmtree(out, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
