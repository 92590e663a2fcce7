"""The command line of demo-record: its own options, and demo-capture's, which
are passed on to every piece. Which options demo-capture takes, and whether
each takes a value, is read from demo-capture's own --help: an option it gains
reaches the pieces without a change here."""
import os
import re
import shlex
import subprocess
import sys

PROGRAM = "demo-record"

# demo-capture's options that make no sense for a recording in pieces (its
# --frames and --time choose what the whole recording covers; the pieces get
# ranges of their own).
NOT_IN_PIECES = {"--png": "PNG frames", "--at": "single frames", "--no-audio": "a video without sound",
                 "--join": "a join of pieces made elsewhere", "--print-frames": "a list of frames"}
# demo-capture's options that demo-record has itself.
OWN_TOO = ("-o", "--output", "--quiet", "-h", "--help")

USAGE = """usage: demo-record [demo-capture's options] --pieces N --work DIR -o VIDEO.mp4 [--jobs K]
       demo-record [demo-capture's options] --pieces N --work DIR -o VIDEO.mp4 --slurm [--resume]
                   [--partition P] [--time-limit T] [--cpus-per-task C] [--mem M]
                   [--sbatch-args "..."] [--dry-run]
       demo-record --follow --work DIR
       demo-record --status --work DIR
Records the demo in N pieces of consecutive frames, each its own H.264 encode,
and joins them into one MP4 without encoding the pictures again; the soundtrack
is encoded once for the whole length. Every frame is the frame one
demo-capture would draw. Pieces are kept in the work folder: a piece already
finished (and checked against the checksum written beside it) is not drawn
again, so an interrupted recording resumes where it stopped.

  --pieces N          how many pieces (each at least a second long)
  --piece-seconds S   instead of --pieces: pieces of about S seconds each
  --work DIR          the folder of the pieces, their checksums and logs
  -o, --output FILE   the video (.mp4), written whole or not at all
  --jobs K            pieces drawn at the same time on this machine
                      (default: the number of processors)
  --retries R         a piece that fails is tried again R times (default 2)
  --clean             remove the pieces once the video is joined and checked
  --slurm             submit the pieces as a Slurm array job (one piece a task)
                      and the join as a job after it, then follow them until
                      the video is there (Ctrl-C stops following, not the jobs)
  --resume            with --slurm: submit only the pieces not yet finished
  --partition P, --time-limit T, --cpus-per-task C, --mem M
                      passed to sbatch (--partition, --time, --cpus-per-task,
                      --mem); the memory a task needs is asked for unless --mem
                      says otherwise
  --sbatch-args "..." more sbatch options, for the array and the join alike
  --dry-run           with --slurm: write the batch scripts into the work
                      folder's log/ and print them, submitting nothing
  --follow            follow the jobs submitted for the work folder again
  --status            where the recording in the work folder stands: pieces
                      pending, running, failed and done, processor hours
  --capture PATH      the demo-capture to run (default: the one beside this program)
  --quiet             no progress line
  -h, --help          this text

Every option of demo-capture is taken and passed on to each piece (see
demo-capture --help), but those that make no single video (--png, --at,
--no-audio, --join, --print-frames). With --slurm the programs, the data
folder and the work folder must be at the same paths on every node (a shared
file system).
"""


class Refused(Exception):
    """A command line or a state that cannot be used; exit code `code`."""

    def __init__(self, message, code=2):
        super().__init__(message)
        self.code = code


class Options:
    def __init__(self):
        self.capture_args = []   # demo-capture's options, in the order given
        self.pieces = None
        self.piece_seconds = None
        self.jobs = os.cpu_count() or 1
        self.work = None
        self.output = None
        self.retries = 2
        self.slurm = False
        self.resume = False
        self.follow = False
        self.status = False
        self.dry_run = False
        self.clean = False
        self.partition = None
        self.time_limit = None
        self.cpus_per_task = None
        self.mem = None
        self.sbatch_args = []
        self.capture = None
        self.quiet = False
        self.task = False        # a Slurm array task: the piece of SLURM_ARRAY_TASK_ID
        self.join_only = False   # the join alone (the Slurm join job runs it)
        self.jobs_given = False
        self.help = False


def refuse(option, got, takes):
    """The refusal every program of the demo writes: OPTION got 'VALUE'; it takes WHAT."""
    said = "got nothing" if got is None else "got '%s'" % got
    raise Refused("%s %s; it takes %s\nTry '%s --help'." % (option, said, takes, PROGRAM))


def whole_number(option, text, least):
    try:
        n = int(text, 10)
    except ValueError:
        n = None
    if n is None or n < least or str(n) != text.strip():
        refuse(option, text, "a whole number from %d" % least)
    return n


def counting_from(least):
    return lambda option, text: whole_number(option, text, least)


def seconds(option, text):
    try:
        s = float(text)
    except ValueError:
        s = None
    if s is None or not 0 < s < 1e9:
        refuse(option, text, "seconds above 0, such as 60 or 12.5")
    return s


def memory(option, text):
    if not re.fullmatch(r"[1-9][0-9]*[KMGT]?", text):
        refuse(option, text, "a size for Slurm's --mem, such as 1500M or 2G")
    return text


def path(option, text):
    return os.path.abspath(text)


def word(option, text):
    return text


# demo-record's own options: the field each sets and how its value is read.
SWITCHES = {"--slurm": "slurm", "--resume": "resume", "--follow": "follow", "--quiet": "quiet",
            "--task": "task", "--join-only": "join_only", "--status": "status",
            "--dry-run": "dry_run", "--clean": "clean"}
VALUES = {"--pieces": ("pieces", counting_from(1)), "--jobs": ("jobs", counting_from(1)),
          "--piece-seconds": ("piece_seconds", seconds),
          "--retries": ("retries", counting_from(0)), "--work": ("work", path),
          "-o": ("output", path), "--output": ("output", path), "--capture": ("capture", path),
          "--partition": ("partition", word), "--time-limit": ("time_limit", word),
          "--cpus-per-task": ("cpus_per_task", counting_from(1)), "--mem": ("mem", memory)}
# What only a Slurm submission takes.
SLURM_ONLY = (("--resume", "resume", "a recording on this machine always resumes"),
              ("--dry-run", "dry_run", "it prints the batch scripts"),
              ("--partition", "partition", "it is passed to sbatch"),
              ("--time-limit", "time_limit", "it is passed to sbatch"),
              ("--cpus-per-task", "cpus_per_task", "it is passed to sbatch"),
              ("--mem", "mem", "it is passed to sbatch"),
              ("--sbatch-args", "sbatch_args", "it is passed to sbatch"))

HELP_LINE = re.compile(r"  (?:-\w, )?(--[a-z0-9][a-z0-9-]*)( [^ ]\S*)?(?:  |$)")


def capture_options(capture):
    """{option: takes a value} of demo-capture's options that reach the pieces,
    read from its --help."""
    try:
        done = subprocess.run([capture, "--help"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    except OSError as e:
        raise Refused("cannot run demo-capture %s (%s): --capture names another" % (capture, e.strerror), 1)
    if done.returncode != 0:
        raise Refused("demo-capture %s --help ended with exit code %d: %s"
                      % (capture, done.returncode, done.stderr.strip()), 1)
    found = {}
    for line in done.stdout.splitlines():
        m = HELP_LINE.match(line)
        if m and m.group(1) not in OWN_TOO and m.group(1) not in NOT_IN_PIECES:
            found[m.group(1)] = m.group(2) is not None
    return found


def capture_path(argv):
    """The --capture given (demo-capture's options depend on it), or the default."""
    for k, arg in enumerate(argv[:-1]):
        if arg == "--capture":
            return os.path.abspath(argv[k + 1])
    return default_capture()


def parse(argv, known=None):
    """The options; `known` is demo-capture's {option: takes a value}, asked of
    demo-capture itself when an option is not demo-record's own."""
    opts = Options()
    i = 0

    def value(arg, takes):
        nonlocal i
        if i >= len(argv):
            refuse(arg, None, takes)
        v = argv[i]
        i += 1
        return v

    while i < len(argv):
        arg = argv[i]
        i += 1
        if arg in ("-h", "--help"):
            opts.help = True
            return opts
        if arg in SWITCHES:
            setattr(opts, SWITCHES[arg], True)
        elif arg in VALUES:
            field, read = VALUES[arg]
            setattr(opts, field, read(arg, value(arg, "a value (see --help)")))
            opts.jobs_given = opts.jobs_given or arg == "--jobs"
        elif arg == "--sbatch-args":
            opts.sbatch_args += shlex.split(value(arg, "options for sbatch"))
        elif arg in NOT_IN_PIECES:
            refuse("the command line", arg, "demo-capture's options that make one video: %s would "
                   "make %s" % (arg, NOT_IN_PIECES[arg]))
        else:
            if known is None:
                known = capture_options(capture_path(argv))
            if arg not in known:
                refuse("the command line", arg, "demo-record's options and demo-capture's (see --help)")
            opts.capture_args.append(arg)
            if known[arg]:
                v = value(arg, "a value (see demo-capture --help)")
                # The data folder: the same from every node.
                opts.capture_args.append(os.path.abspath(v) if arg == "--data" else v)
    return check(opts)


def check(opts):
    if opts.work is None:
        refuse("--work", None, "the folder that keeps the pieces (every run needs it)")
    if opts.task or opts.join_only or opts.follow or opts.status:
        return opts  # the rest comes from the work folder
    if opts.pieces is None and opts.piece_seconds is None:
        refuse("--pieces", None, "how many pieces to record (or --piece-seconds S: how long each is)")
    if opts.pieces is not None and opts.piece_seconds is not None:
        refuse("--piece-seconds", "%g" % opts.piece_seconds, "the length of a piece instead of "
               "--pieces, not beside it")
    if opts.output is None:
        refuse("-o", None, "the video to write, an .mp4 file")
    if not opts.output.endswith(".mp4") or len(os.path.basename(opts.output)) <= 4:
        refuse("-o", opts.output, "an .mp4 file")
    if opts.slurm and opts.jobs_given:
        refuse("--jobs", str(opts.jobs), "how many pieces are drawn at once on this machine, not "
               "with --slurm (every piece is a Slurm task of its own)")
    if not opts.slurm:
        for name, field, what in SLURM_ONLY:
            if getattr(opts, field):
                refuse("the command line", name, "%s only with --slurm (%s)" % (name, what))
    return opts


def default_capture():
    """demo-capture beside this program (the build folder, or the installed bin)."""
    here = os.path.dirname(os.path.abspath(sys.argv[0]))
    return os.path.join(here, "demo-capture")
