"""What a recording in pieces covers: the frames demo-capture's options select,
cut into pieces, and the settings every piece must be drawn with. The work
folder's record.json keeps them, so that a later run, a Slurm task or the join
draws and checks the same thing."""
import json
import os
import re
import subprocess
import sys

from . import identity
from .options import Refused, refuse

RECORD = "record.json"
# What makes two pieces the same pictures: every option that changes a frame
# or its encoding. The output's name does not. "other" holds, in order, every
# option of demo-capture not named here (--gentle, ...).
SETTINGS = ("rate", "size", "msaa", "supersample", "filter", "preset", "lossless", "warm_up",
            "data", "first", "end", "pieces", "other")
NAMED_VALUES = ("--msaa", "--supersample", "--filter", "--preset", "--data")
SETTLED = ("--rate", "--size", "--frames", "--time")  # settled by demo-capture itself


def capture_settings(capture_args):
    """The options as one comparable record (defaults filled in as demo-capture has them)."""
    s = {"msaa": "0", "supersample": "1", "filter": "linear", "preset": "veryfast",
         "lossless": False, "warm_up": False, "data": "", "other": []}
    i = 0
    while i < len(capture_args):
        arg = capture_args[i]
        if arg in ("--lossless", "--warm-up"):
            s[arg[2:].replace("-", "_")] = True
        elif arg in NAMED_VALUES:
            s[arg[2:]] = capture_args[i + 1]
            i += 1
        elif arg in SETTLED:
            i += 1
        else:
            s["other"].append(arg)
        i += 1
    return s


def ask_capture(capture, capture_args):
    """(first, end, rate, size) of the frames the options select, as demo-capture
    settles them; its own refusal is passed on."""
    if not os.access(capture, os.X_OK):
        raise Refused("cannot run demo-capture: %s is not there (--capture names another)" % capture, 1)
    done = subprocess.run([capture] + capture_args + ["--print-frames"], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        said = done.stderr.rstrip()
        if done.returncode == 2:  # a refusal: its line, not the capture's usage after it
            said = said.split("\n", 1)[0]
        raise Refused(said or "demo-capture refused the options", done.returncode)
    m = re.match(r"frames (\d+)-(\d+) rate (\d+)/(\d+) size (\d+x\d+)", done.stdout)
    if not m:
        raise Refused("demo-capture answered what it would draw with %r" % done.stdout, 1)
    return int(m.group(1)), int(m.group(2)), (int(m.group(3)), int(m.group(4))), m.group(5)


def split(first, end, pieces):
    """[(first, end)] of each piece: consecutive, as even as whole frames allow."""
    count = end - first
    return [(first + i * count // pieces, first + (i + 1) * count // pieces) for i in range(pieces)]


def frames(n):
    return "%d frame%s" % (n, "" if n == 1 else "s")


def check_pieces(first, end, rate, pieces):
    count = end - first
    if pieces > count:
        refuse("--pieces", str(pieces), "at most one piece a frame: %s chosen (frames %d-%d)"
               % (frames(count), first, end - 1))
    per_second = rate[0] / rate[1]
    shortest = count // pieces
    if pieces > 1 and shortest < per_second:
        most = max(1, count // -(-rate[0] // rate[1]))
        refuse("--pieces", str(pieces), "at most %d pieces here: %d cuts pieces of %s, less than "
               "a second at %g fps, and pieces under a second may not join cleanly"
               % (most, pieces, frames(shortest), per_second))


def pieces_of_seconds(first, end, rate, piece_seconds):
    """--piece-seconds S: the piece count that comes nearest to S seconds a piece."""
    seconds = (end - first) * rate[1] / rate[0]
    return max(1, min(end - first, int(round(seconds / piece_seconds))))


def requested_end(capture_args):
    """The end the command line asked for: ("--time", seconds) or ("--frames",
    frame), None when it asked for none."""
    for k, arg in enumerate(capture_args[:-1]):
        if arg in ("--time", "--frames"):
            end = capture_args[k + 1].partition("-")[2]
            try:
                return arg, float(end) if arg == "--time" else int(end)
            except ValueError:
                return None
    return None


def cut_short(capture_args, end, rate):
    """What to say when the demo ends before the end asked for, else None."""
    asked = requested_end(capture_args)
    if asked is None:
        return None
    option, value = asked
    last = end * rate[1] / rate[0] if option == "--time" else end
    if value <= last + (rate[1] / rate[0] if option == "--time" else 0) + 1e-9:
        return None
    return ("the demo ends at %s %g, before the %g asked for: the recording stops there"
            % ("second" if option == "--time" else "frame", last, value))


def make_record(opts, capture):
    first, end, rate, size = ask_capture(capture, opts.capture_args)
    if opts.piece_seconds is not None:
        opts.pieces = pieces_of_seconds(first, end, rate, opts.piece_seconds)
    check_pieces(first, end, rate, opts.pieces)
    short = cut_short(opts.capture_args, end, rate)
    if short and not opts.quiet:
        sys.stderr.write("demo-record: %s (frames %d-%d, %.1f s)\n"
                         % (short, first, end - 1, (end - first) * rate[1] / rate[0]))
    # Pieces get their own ranges: the whole recording's --frames or --time goes.
    args, i = [], 0
    while i < len(opts.capture_args):
        if opts.capture_args[i] in ("--frames", "--time"):
            i += 2
            continue
        args.append(opts.capture_args[i])
        i += 1
    settings = capture_settings(args)
    settings.update({"rate": "%d/%d" % rate, "size": size, "first": first, "end": end,
                     "pieces": opts.pieces})
    return {"version": 1, "capture": capture, "capture_args": args, "settings": settings,
            "ranges": split(first, end, opts.pieces), "output": opts.output,
            "retries": opts.retries, "clean": opts.clean, "cpus_per_task": opts.cpus_per_task,
            "identity": identity.of(capture, settings["data"])}


def describe(settings, key):
    v = settings.get(key)
    if key in ("first", "end"):
        return "frames %s-%s" % (settings.get("first"), settings.get("end"))
    if key in ("lossless", "warm_up"):
        return ("--" + key.replace("_", "-")) if v else ("no --" + key.replace("_", "-"))
    if key == "pieces":
        return "%s pieces" % v
    if key == "other":
        return " ".join(v) if v else "no other option"
    return "--%s %s" % (key, v if v != "" else "(the default)")


def differences(old, new):
    keys = []
    for k in SETTINGS:
        if old.get(k) != new.get(k):
            k = "first" if k == "end" else k
            if k not in keys:
                keys.append(k)
    return ["%s there, %s here" % (describe(old, k), describe(new, k)) for k in keys]


def read_record(work):
    path = os.path.join(work, RECORD)
    try:
        with open(path) as f:
            record = json.load(f)
        if not isinstance(record, dict) or record.get("version") != 1 or "settings" not in record:
            raise ValueError("not a record of demo-record")
        return record
    except FileNotFoundError:
        raise Refused("%s holds no recording (no %s): start it with --pieces, -o and the "
                      "capture's options" % (work, RECORD), 1)
    except (OSError, ValueError) as e:
        raise Refused("cannot read %s: %s" % (path, e), 1)


def prepare_work(work, record):
    """Creates the work folder, or checks that the one there holds pieces of
    this same recording; nothing in it is touched when it does not."""
    try:
        os.makedirs(os.path.join(work, "pieces"), exist_ok=True)
        os.makedirs(os.path.join(work, "log"), exist_ok=True)
    except OSError as e:
        raise Refused("cannot write into the work folder %s (%s)" % (work, e.strerror), 1)
    if not os.access(work, os.W_OK) or not os.access(os.path.join(work, "pieces"), os.W_OK):
        raise Refused("cannot write into the work folder %s (permission denied)" % work, 1)
    path = os.path.join(work, RECORD)
    if os.path.exists(path):
        old = read_record(work)
        diff = differences(old["settings"], record["settings"])
        if diff:
            raise Refused("the work folder %s holds pieces of another recording (%s); choose "
                          "another folder, or remove that one to start again"
                          % (work, "; ".join(diff)), 1)
    write_json(path, record)


def write_json(path, value):
    """Written beside, then renamed: a reader sees the old file or the new one whole."""
    temporary = "%s.part-%d" % (path, os.getpid())
    with open(temporary, "w") as f:
        json.dump(value, f, indent=1)
        f.write("\n")
        f.flush()
        os.fsync(f.fileno())
    os.replace(temporary, path)
