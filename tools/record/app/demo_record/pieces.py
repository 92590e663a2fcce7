"""The pieces in the work folder: their names, the checksum file written beside
each when it was finished, and the checks that say whether a piece is usable."""
import hashlib
import json
import os
import subprocess

from . import identity
from .plan import write_json


def piece_path(work, index):
    return os.path.join(work, "pieces", "piece-%04d.mp4" % index)


def manifest_path(work, index):
    return os.path.join(work, "pieces", "piece-%04d.json" % index)


def lock_path(work, index):
    return os.path.join(work, "pieces", "piece-%04d.lock" % index)


def label(record, index):
    first, end = record["ranges"][index]
    return "piece %d (frames %d-%d)" % (index, first, end - 1)


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def probe(path):
    """(frames, parameter-set hash, codec) of the video in an MP4, read by
    ffprobe; None when ffprobe cannot read it."""
    done = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                           "-show_data_hash", "MD5", "-show_entries",
                           "stream=nb_read_packets,extradata_hash,codec_name", "-of", "json", path],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        return None
    try:
        streams = json.loads(done.stdout).get("streams", [])
        s = streams[0]
        return int(s["nb_read_packets"]), s.get("extradata_hash", ""), s.get("codec_name", "")
    except (ValueError, LookupError, TypeError):
        return None


def finish(work, record, index, extra):
    """Writes the checksum file of a piece just drawn. None, or what is wrong
    with the piece demo-capture left (then no checksum is written)."""
    path = piece_path(work, index)
    first, end = record["ranges"][index]
    found = probe(path)
    if found is None:
        return "ffprobe cannot read %s" % path
    frames, parameters, codec = found
    if frames != end - first:
        return "it holds %d frames, not %d" % (frames, end - first)
    manifest = {"index": index, "first": first, "end": end, "settings": record["settings"],
                "bytes": os.path.getsize(path), "sha256": sha256(path), "frames": frames,
                "parameter_sets": parameters, "codec": codec}
    manifest.update(extra)
    write_json(manifest_path(work, index), manifest)
    return None


def read_manifest(work, index):
    try:
        with open(manifest_path(work, index)) as f:
            m = json.load(f)
        return m if isinstance(m, dict) else None
    except (OSError, ValueError):
        return None


def problem(work, record, index, checksum=True):
    """None when the piece is finished and whole, else what is wrong with it, in
    words that follow its label ("piece 2 (frames 40-59) is missing"). The
    video is read once, for its checksum (unless `checksum` is False: the join
    takes it as it copies): what ffprobe found in it when it was finished (its
    frames, its parameter sets) holds as long as that does."""
    path = piece_path(work, index)
    have_file = os.path.isfile(path)
    if not os.path.exists(manifest_path(work, index)):
        return "is not finished (no checksum beside it)" if have_file else "is missing"
    m = read_manifest(work, index)
    if m is None:
        return "is damaged (its checksum file %s cannot be read)" % manifest_path(work, index)
    first, end = record["ranges"][index]
    if (m.get("index"), m.get("first"), m.get("end")) != (index, first, end):
        return ("holds frames %s-%s of piece %s, not its own (another piece's file in its place)"
                % (m.get("first"), (m.get("end") or 0) - 1, m.get("index")))
    if m.get("settings") != record["settings"]:
        return "was drawn with other settings than this recording's"
    if not have_file:
        return "is missing (its checksum file is there, the video is not)"
    size = os.path.getsize(path)
    if size != m.get("bytes") or (checksum and sha256(path) != m.get("sha256")):
        return ("is damaged: %d bytes whose checksum does not match the one written when it was "
                "finished (%s bytes): cut short, changed or replaced" % (size, m.get("bytes")))
    if m.get("frames") is not None and m.get("frames") != end - first:
        return "holds %s frames, not %d" % (m.get("frames"), end - first)
    return identity.differs(record.get("identity"), m)


def parameter_sets(work, index):
    m = read_manifest(work, index)
    return m.get("parameter_sets") if m else None

