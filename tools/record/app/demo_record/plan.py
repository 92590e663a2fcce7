"""What a recording in pieces covers: the frames demo-capture's options select,
cut into pieces, and the settings every piece must be drawn with. The work
folder's record.json keeps them, so that a later run, a Slurm task or the join
draws and checks the same thing."""
import json
import os
import re
import subprocess

from .options import Refused

RECORD = "record.json"
# What makes two pieces the same pictures: every option that changes a frame
# or its encoding. The output's name does not.
SETTINGS = ("rate", "size", "msaa", "supersample", "filter", "preset", "lossless", "warm_up",
            "data", "first", "end", "pieces")


def capture_settings(capture_args):
    """The options as one comparable record (defaults filled in as demo-capture has them)."""
    s = {"msaa": "0", "supersample": "1", "filter": "linear", "preset": "veryfast",
         "lossless": False, "warm_up": False, "data": ""}
    i = 0
    while i < len(capture_args):
        arg = capture_args[i]
        if arg in ("--lossless", "--warm-up"):
            s[arg[2:].replace("-", "_")] = True
            i += 1
            continue
        if arg in ("--msaa", "--supersample", "--filter", "--preset", "--data"):
            s[arg[2:]] = capture_args[i + 1]
        i += 2  # --rate, --size, --frames and --time are settled by demo-capture itself
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


def check_pieces(first, end, rate, pieces):
    count = end - first
    if pieces > count:
        raise Refused("--pieces %d is more than the %d frame%s chosen (frames %d-%d)"
                      % (pieces, count, "" if count == 1 else "s", first, end - 1))
    per_second = rate[0] / rate[1]
    shortest = count // pieces
    if pieces > 1 and shortest < per_second:
        most = max(1, count // -(-rate[0] // rate[1]))
        raise Refused("--pieces %d cuts pieces of %d frames, less than a second at %g fps: pieces "
                      "under a second may not join cleanly; use at most %d pieces"
                      % (pieces, shortest, per_second, most))


def make_record(opts, capture):
    first, end, rate, size = ask_capture(capture, opts.capture_args)
    check_pieces(first, end, rate, opts.pieces)
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
            "retries": opts.retries}


def describe(settings, key):
    v = settings.get(key)
    if key in ("first", "end"):
        return "frames %s-%s" % (settings.get("first"), settings.get("end"))
    if key in ("lossless", "warm_up"):
        return ("--" + key.replace("_", "-")) if v else ("no --" + key.replace("_", "-"))
    if key == "pieces":
        return "%s pieces" % v
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
