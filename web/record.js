// "Save as video": the start screen's form, and the recording itself. The
// form opens the page again with ?record=...; there the program draws each
// frame of the span on the fixed-step clock, as demo-capture does (the still
// mode's runner, history from the start, nothing shown), hands it over RGB,
// and this file converts it to BT.709 limited-range YUV, encodes it with
// the browser's VideoEncoder and has the muxer (mediabunny, from npm, loaded
// only here) write MP4 with the soundtrack encoded once by the AudioEncoder.
//
//   ?record=all | ?record=S-E    the whole demo, or seconds S to E of music
//   &size=WxH     4:3, even (640x480)      &rate=30|60|59.94 (60)
//   &supersample=1..4 (1)                  &gentle=0|1 (the start screen's switch)
//   &codec=avc|vp9|av1 (the first the browser encodes, in that order)
//   &to=pick|opfs|memory (pick where the browser lets the page write a
//       chosen file, else opfs: the origin's private files, then the download)
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const MUXER = 'mediabunny.min.mjs';
  const RATES = { '30': [30, 1], '60': [60, 1], '59.94': [60000, 1001], '60000/1001': [60000, 1001] };
  const SIZES = [[640, 480], [800, 600], [1024, 768], [1280, 960], [1600, 1200], [1920, 1440],
                 [2560, 1920], [2880, 2160], [3840, 2880]];
  // One matrix, stated in the stream and the container, as demo-capture does.
  const TAGS = { primaries: 'bt709', transfer: 'bt709', matrix: 'bt709', fullRange: false };
  const SAMPLE_RATE = 48000;
  const AUDIO_BITRATE = 160000;

  // What the tests read; `read` hands the finished file out in pieces.
  const rec = {
    state: 'idle', error: null, name: null, size: 0, frames: 0, total: 0, codec: null,
    where: null, fps: 0, chunk: null,
  };
  window.demoRecording = rec;

  function say(text) { Module.page.showError(text); }

  function megabytes(bytes) { return (bytes / 1e6).toFixed(bytes < 1e7 ? 1 : 0) + ' MB'; }

  // The largest picture WebGL draws here: its viewport and renderbuffers.
  function largestDrawn() {
    try {
      const gl = document.createElement('canvas').getContext('webgl');
      if (!gl) return 0;
      const dims = gl.getParameter(gl.MAX_VIEWPORT_DIMS);
      return Math.min(dims[0], dims[1] * 4 / 3, gl.getParameter(gl.MAX_RENDERBUFFER_SIZE));
    } catch (e) {
      return 0;
    }
  }

  // ?record=... read into a recording, or a line that says what is wrong.
  function readSettings(p) {
    const span = p.get('record');
    let start = 0;
    let end = 0;
    if (span !== 'all') {
      const m = /^(\d+(?:\.\d+)?)-(\d+(?:\.\d+)?)$/.exec(span || '');
      if (!m || Number(m[1]) >= Number(m[2]) || Number(m[1]) >= 228)
        throw new Error('the span ' + span + ' is not S-E in seconds of music (such as 95-100.5)');
      start = Number(m[1]);
      end = Math.min(228, Number(m[2]));
    }
    const size = /^(\d+)x(\d+)$/.exec(p.get('size') || '640x480');
    const width = size ? Number(size[1]) : 0;
    const height = size ? Number(size[2]) : 0;
    if (!size || width * 3 !== height * 4 || width % 2 || height % 2 || width < 160)
      throw new Error('the size ' + p.get('size') + ' is not 4:3 and even (such as 1280x960)');
    const rate = RATES[p.get('rate') || '60'];
    if (!rate) throw new Error('the rate ' + p.get('rate') + ' is not 30, 60 or 59.94');
    const supersample = Number(p.get('supersample') || '1');
    if (!(supersample >= 1 && supersample <= 4 && supersample % 1 === 0))
      throw new Error('supersample ' + p.get('supersample') + ' is not 1 to 4');
    const largest = largestDrawn();
    if (width * supersample > largest)
      throw new Error('WebGL draws at most ' + Math.floor(largest) + ' pixels wide here, and ' +
                      width + 'x' + height + ' supersampled ' + supersample + ' times needs ' +
                      width * supersample);
    let gentle = p.get('gentle');
    if (gentle === null) gentle = document.getElementById('gentle').checked ? '1' : '0';
    const codec = p.get('codec');
    if (codec && !['avc', 'vp9', 'av1'].includes(codec))
      throw new Error('the codec ' + codec + ' is not avc, vp9 or av1');
    const to = p.get('to') || (window.showSaveFilePicker ? 'pick' : 'opfs');
    if (!['pick', 'opfs', 'memory'].includes(to)) throw new Error('to=' + to + ' is not pick, opfs or memory');
    return { start, end, num: rate[0], den: rate[1], width, height, supersample,
             gentle: gentle === '1', codec, to };
  }

  // H.264 High at the lowest level that holds the picture, its rate and the
  // bit rate asked: [level_idc, macroblocks a second, a frame, kbit/s]. The
  // bit rate is held to 1.2 times the level's (what OpenH264, the encoder of
  // Chromium and WebKitGTK, takes as High's limit, below the standard's 1.25),
  // or the encoder refuses the stream.
  function avcCodec(width, height, fps, bitrate) {
    const mbs = Math.ceil(width / 16) * Math.ceil(height / 16);
    const levels = [[0x1f, 108000, 3600, 14000], [0x20, 216000, 5120, 20000],
                    [0x28, 245760, 8192, 20000], [0x29, 245760, 8192, 50000],
                    [0x2a, 522240, 8704, 50000], [0x32, 589824, 22080, 135000],
                    [0x33, 983040, 36864, 240000], [0x34, 2073600, 36864, 240000],
                    [0x3c, 4177920, 139264, 240000], [0x3d, 8355840, 139264, 480000],
                    [0x3e, 16711680, 139264, 800000]];
    const level = levels.find((l) => mbs * fps <= l[1] && mbs <= l[2] && bitrate <= l[3] * 1200) ||
                  levels[levels.length - 1];
    return 'avc1.6400' + level[0].toString(16).padStart(2, '0');
  }

  // A rate generous enough for the demo's flicker of fine detail: 2 bits a
  // pixel at 640x480, fewer on larger pictures, where detail is finer. No
  // fixed quantizer: Firefox says it takes one and then ignores the value
  // given with each frame (its files came out at a tenth of this rate, 32 dB
  // from the frames drawn).
  function bitrateFor(s) {
    const pixels = s.width * s.height;
    return Math.round(2 * Math.sqrt(640 * 480 / pixels) * pixels * s.num / s.den);
  }

  // The first codec asked for that the browser encodes at this size.
  async function chooseCodec(s) {
    if (!window.VideoEncoder) return null;
    // WebKitGTK 2.50 starts GStreamer for WebCodecs without its core elements
    // registered when no media element has started it yet, and its page
    // process aborts ("gst_register_core_elements: code should not be
    // reached"); a media element's question starts it properly.
    document.createElement('video').canPlayType('video/mp4');
    const fps = s.num / s.den;
    const bitrate = bitrateFor(s);
    const big = s.width > 2048;
    const candidates = [['avc', avcCodec(s.width, s.height, fps, bitrate)],
                        ['vp9', big ? 'vp09.00.51.08' : 'vp09.00.41.08'],
                        ['av1', big ? 'av01.0.12M.08' : 'av01.0.08M.08']]
      .filter((c) => !s.codec || c[0] === s.codec);
    for (const [name, codec] of candidates) {
      const config = { codec, width: s.width, height: s.height, framerate: fps,
                       latencyMode: 'quality', bitrate };
      if (name === 'avc') config.avc = { format: 'avc' };
      try {
        const answer = await VideoEncoder.isConfigSupported(config);
        if (answer.supported) return { name, config };
      } catch (e) { /* not this one */ }
    }
    return null;
  }

  function noEncoder(s) {
    return 'this browser encodes no ' + ({ avc: 'H.264', vp9: 'VP9', av1: 'AV1' }[s.codec] ||
           'H.264, VP9 or AV1') + ' video at ' + s.width + 'x' + s.height +
           (window.VideoEncoder ? '' : ' (it has no WebCodecs)');
  }

  async function chooseAudio(mb) {
    for (const codec of ['opus', 'aac']) {
      try {
        if (await mb.canEncodeAudio(codec, { numberOfChannels: 2, sampleRate: SAMPLE_RATE,
                                              bitrate: AUDIO_BITRATE })) return codec;
      } catch (e) { /* not this one */ }
    }
    return null;
  }

  function fileName(s) {
    const span = s.end ? s.start + '-' + s.end : 'all';
    return 'quelltarn-' + s.width + 'x' + s.height + '-' + (s.num / s.den).toFixed(s.den > 1 ? 2 : 0) +
           'fps-' + span + (s.gentle ? '-gentle' : '') + '.mp4';
  }

  // Where the file goes. The picker needs the viewer's click, so it is asked
  // for before anything is drawn; the private files and memory are checked
  // for room once the size is known.
  async function openFile(s) {
    if (s.to === 'pick') {
      const handle = await window.showSaveFilePicker({
        suggestedName: rec.name,
        types: [{ description: 'MP4 video', accept: { 'video/mp4': ['.mp4'] } }],
      });
      return { kind: 'picked', handle, writable: await handle.createWritable() };
    }
    if (s.to === 'opfs' && navigator.storage && navigator.storage.getDirectory) {
      const dir = await navigator.storage.getDirectory();
      const handle = await dir.getFileHandle(rec.name, { create: true });
      if (handle.createWritable) return { kind: 'opfs', dir, handle, writable: await handle.createWritable() };
      await dir.removeEntry(rec.name);
    }
    return { kind: 'memory' };
  }

  // Said before the start where the file cannot fit.
  async function checkRoom(s, file, frames) {
    const seconds = frames * s.den / s.num;
    const expected = seconds * (bitrateFor(s) + AUDIO_BITRATE) / 8;
    let room = Infinity;
    if (file.kind === 'opfs' && navigator.storage.estimate) {
      const e = await navigator.storage.estimate();
      room = e.quota - e.usage;
    } else if (file.kind === 'memory') {
      room = 1.5e9;  // one buffer, and the download's copy of it
    }
    if (expected > room)
      throw new Error('it would take about ' + megabytes(expected) + ', and ' +
                      (file.kind === 'memory' ? 'this browser keeps it in memory, where ' : 'the browser lets the page keep ') +
                      megabytes(room) + (file.kind === 'memory' ? ' fit' : '') +
                      ': choose a shorter span or a smaller size');
  }

  // The music of frames [first, end) at 48 kHz, as long as the video to the
  // sample; silence past the soundtrack's end.
  async function soundtrack(mp3, first, end, s) {
    const music = await new OfflineAudioContext(2, 1, SAMPLE_RATE).decodeAudioData(mp3);
    const from = Math.round(first * s.den * SAMPLE_RATE / s.num);
    const to = Math.round(end * s.den * SAMPLE_RATE / s.num);
    const clip = new AudioBuffer({ numberOfChannels: 2, length: to - from, sampleRate: SAMPLE_RATE });
    for (let c = 0; c < 2; ++c) {
      const source = music.getChannelData(Math.min(c, music.numberOfChannels - 1));
      clip.copyToChannel(source.subarray(Math.min(from, source.length), Math.min(to, source.length)), c);
    }
    return clip;
  }

  // The clip encoded once by the browser's AudioEncoder, in pieces of 1024
  // frames copied out of it, and handed to the muxer as packets; Opus's own
  // header tells players the encoder's delay to skip. (The muxer's
  // AudioBufferSource, which would do this itself, aborts WebKitGTK 2.50's
  // page process: "free(): invalid pointer".)
  async function encodeSoundtrack(mb, clip, codec, source) {
    const packets = [];
    let failure = null;
    const encoder = new AudioEncoder({
      output: (chunk, meta) => packets.push([mb.EncodedPacket.fromEncodedChunk(chunk), meta]),
      error: (e) => { failure = e; },
    });
    encoder.configure({ codec, sampleRate: SAMPLE_RATE, numberOfChannels: 2, bitrate: AUDIO_BITRATE });
    const piece = 1024;
    for (let at = 0; at < clip.length && !failure; at += piece) {
      const n = Math.min(piece, clip.length - at);
      const data = new Float32Array(2 * n);
      for (let c = 0; c < 2; ++c) data.set(clip.getChannelData(c).subarray(at, at + n), c * n);
      const audio = new AudioData({ format: 'f32-planar', sampleRate: SAMPLE_RATE, numberOfFrames: n,
                                    numberOfChannels: 2, timestamp: Math.round(at * 1e6 / SAMPLE_RATE),
                                    data });
      encoder.encode(audio);
      audio.close();
    }
    await encoder.flush();
    encoder.close();
    if (failure) throw failure;
    for (const [packet, meta] of packets) await source.add(packet, meta);
  }

  // RGB to I420, BT.709, limited range, chroma the mean of each 2x2 block.
  function toI420(rgb, w, h, out) {
    const cw = w >> 1;
    const uAt = w * h;
    const vAt = uAt + cw * (h >> 1);
    for (let y = 0; y < h; ++y) {
      for (let x = 0; x < w; ++x) {
        const i = (y * w + x) * 3;
        out[y * w + x] = 16.5 + (0.1826 * rgb[i] + 0.6142 * rgb[i + 1] + 0.0620 * rgb[i + 2]);
      }
    }
    for (let y = 0; y < h; y += 2) {
      for (let x = 0; x < w; x += 2) {
        const a = (y * w + x) * 3;
        const b = a + w * 3;
        const r = (rgb[a] + rgb[a + 3] + rgb[b] + rgb[b + 3]) / 4;
        const g = (rgb[a + 1] + rgb[a + 4] + rgb[b + 1] + rgb[b + 4]) / 4;
        const bl = (rgb[a + 2] + rgb[a + 5] + rgb[b + 2] + rgb[b + 5]) / 4;
        const c = (y >> 1) * cw + (x >> 1);
        out[uAt + c] = 128.5 + (-0.1006 * r - 0.3386 * g + 0.4392 * bl);
        out[vAt + c] = 128.5 + (0.4392 * r - 0.3989 * g - 0.0403 * bl);
      }
    }
  }

  let settings = null;
  let job = null;  // the recording under way
  let picked = null;  // the file the viewer chose in the click, before the program runs

  function failureText(e) {
    if (e && e.name === 'QuotaExceededError') return 'the disk is full (' + e.message + ')';
    return String(e && e.message ? e.message : e);
  }

  // The first failure stops the recording; the frames ask for it.
  function fail(why) {
    if (!job || job.failure) return;
    job.failure = why;
  }

  async function recordBegin(first, end, num, den, mp3) {
    const s = settings;
    job = { s, first, end, file: picked, failure: null, pending: Promise.resolve(), queued: 0,
            started: performance.now(), shownMs: 0, rgbSize: 0, yuv: null };
    rec.total = end - first;
    rec.frames = 0;
    rec.state = 'recording';
    try {
      const codec = await chooseCodec(s);
      if (!codec) throw new Error(noEncoder(s) + '. Nothing was written');  // no file is opened yet
      rec.codec = codec.config.codec;
      let mb;
      try {
        mb = await import('./' + MUXER);
      } catch (e) {
        throw new Error('the muxer ' + MUXER + ' did not load (' + e.message + ')');
      }
      const audioCodec = await chooseAudio(mb);
      if (!audioCodec) throw new Error('this browser encodes no Opus or AAC audio');
      if (!job.file) job.file = await openFile(s);
      rec.where = job.file.kind;
      await checkRoom(s, job.file, end - first);
      const clip = await soundtrack(mp3, first, end, s);
      const target = job.file.kind === 'memory' ? new mb.BufferTarget()
                                                : new mb.StreamTarget(job.file.writable, { chunked: true });
      job.target = target;
      job.output = new mb.Output({ format: new mb.Mp4OutputFormat(
        job.file.kind === 'memory' ? { fastStart: 'in-memory' } : { fastStart: false }), target });
      job.video = new mb.EncodedVideoPacketSource(codec.name);
      job.output.addVideoTrack(job.video, { frameRate: num / den });
      job.audio = new mb.EncodedAudioPacketSource(audioCodec);
      job.output.addAudioTrack(job.audio);
      await job.output.start();
      job.audioDone = encodeSoundtrack(mb, clip, audioCodec, job.audio);
      job.audioDone.catch((e) => fail(failureText(e)));
      job.keyEvery = Math.round(2 * num / den);
      job.encoder = new VideoEncoder({
        output: (chunk, meta) => {
          const m = meta && meta.decoderConfig
            ? { ...meta, decoderConfig: { ...meta.decoderConfig, colorSpace: TAGS } } : meta;
          const packet = mb.EncodedPacket.fromEncodedChunk(chunk);
          job.queued += 1;
          job.pending = job.pending.then(() => job.video.add(packet, m))
            .catch((e) => fail(failureText(e))).then(() => { job.queued -= 1; });
        },
        error: (e) => fail('the encoder failed (' + e.message + ')'),
      });
      job.encoder.configure(codec.config);
      showProgress();
      return true;
    } catch (e) {
      await abandon();
      finish('failed', 'The video was not saved: ' + failureText(e) + '.');
      return false;
    }
  }

  async function recordFrame(rgb, width, height, index) {
    if (!job) return false;
    if (job.cancelled || job.failure) return false;
    if (!job.yuv) job.yuv = new Uint8Array(width * height * 3 / 2);
    toI420(rgb, width, height, job.yuv);
    const us = (i) => Math.round(i * 1e6 * job.s.den / job.s.num);
    try {
      const frame = new VideoFrame(job.yuv, {
        format: 'I420', codedWidth: width, codedHeight: height, timestamp: us(index),
        duration: us(index + 1) - us(index), colorSpace: TAGS,
      });
      job.encoder.encode(frame, { keyFrame: index % job.keyEvery === 0 });
      frame.close();
    } catch (e) {
      fail('the encoder refused a frame (' + failureText(e) + ')');
      return false;
    }
    // The drawing waits for the encoder and the file, never runs ahead of them.
    while ((job.encoder.encodeQueueSize > 2 || job.queued > 8) && !job.failure)
      await new Promise((resolve) => setTimeout(resolve, 1));
    rec.frames = index + 1;
    const now = performance.now();
    if (now - job.shownMs > 250) { job.shownMs = now; showProgress(); }
    return !job.failure && !job.cancelled;
  }

  async function recordEnd(drawnAll) {
    if (!job) return false;
    try {
      if (drawnAll && !job.failure && !job.cancelled) {
        await job.encoder.flush();
        await job.pending;
        await job.audioDone;
        if (job.failure) throw new Error(job.failure);
        job.video.close();
        job.audio.close();
        await job.output.finalize();
        if (job.failure) throw new Error(job.failure);
        await deliver();
        const seconds = (performance.now() - job.started) / 1000;
        finish('done', 'Saved ' + rec.name + ': ' + rec.total + ' frames, ' + megabytes(rec.size) +
               ', in ' + seconds.toFixed(0) + ' s (' + (rec.total / seconds).toFixed(1) + ' frames a second).');
        return true;
      }
    } catch (e) {
      fail(failureText(e));
    }
    await abandon();
    if (job.cancelled) finish('cancelled', 'The recording was cancelled: no file was kept.');
    else finish('failed', 'The video was not saved: ' + (job.failure || 'the drawing stopped (see above)') +
                '. No file was kept.');
    return false;
  }

  // Everything written so far goes.
  async function abandon() {
    const j = job;
    if (!j) return;
    try { if (j.encoder && j.encoder.state !== 'closed') j.encoder.close(); } catch (e) { /* closed */ }
    try { if (j.output && j.output.state !== 'finalized') await j.output.cancel(); } catch (e) { /* gone */ }
    const f = j.file;
    if (!f) return;
    try { if (f.writable) await f.writable.abort(); } catch (e) { /* closed by the muxer */ }
    try {
      if (f.kind === 'opfs') await f.dir.removeEntry(rec.name);
      else if (f.kind === 'picked' && f.handle.remove) await f.handle.remove();
      else if (f.kind === 'picked') await (await f.handle.createWritable()).close();
    } catch (e) { /* never made */ }
    f.removed = true;
  }

  // The finished file: read back by the tests, or handed to the viewer.
  async function deliver() {
    const f = job.file;
    if (f.kind === 'memory') {
      rec.blob = new Blob([job.target.buffer], { type: 'video/mp4' });
    } else {
      rec.blob = await f.handle.getFile();
    }
    rec.size = rec.blob.size;
    // The private files are the page's own: the viewer gets the download
    // (unless a script asked for them, &to=opfs, and reads it from there).
    if (f.kind !== 'picked' && params.get('to') === null) {
      const a = document.createElement('a');
      a.href = URL.createObjectURL(rec.blob);
      a.download = rec.name;
      a.textContent = 'download ' + rec.name + ' (' + megabytes(rec.size) + ')';
      document.getElementById('record-done').appendChild(a);
      a.click();
    }
  }

  // A piece of the finished file for a test driver: the answer lands in
  // demoRecording.chunk as base64 (null until it is read).
  rec.read = (offset, length) => {
    rec.chunk = null;
    rec.blob.slice(offset, offset + length).arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000)
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      rec.chunk = btoa(text);
    });
    return true;
  };
  // The private files this origin holds, for tests: what a Cancel left.
  rec.listFiles = () => {
    rec.files = null;
    (async () => {
      const names = [];
      const dir = await navigator.storage.getDirectory();
      for await (const name of dir.keys()) names.push(name);
      rec.files = names;
    })().catch(() => { rec.files = []; });
    return true;
  };

  function finish(state, line) {
    rec.state = state;
    if (state === 'done') Module.page.showNotice('record', line);
    else { rec.error = line; say(line); }
    document.getElementById('record-progress').hidden = true;
    document.getElementById('record-cancel').hidden = true;
    document.getElementById('record-back').hidden = false;
    document.title = '.quellTarn';
  }

  function showProgress() {
    const seconds = (performance.now() - job.started) / 1000;
    rec.fps = seconds > 0 ? rec.frames / seconds : 0;
    const left = rec.fps > 0 ? (rec.total - rec.frames) / rec.fps : null;
    document.getElementById('record-fill').style.width = (100 * rec.frames / rec.total) + '%';
    document.getElementById('record-status').textContent =
      rec.frames + ' / ' + rec.total + ' frames, ' + rec.fps.toFixed(1) + ' frames a second, ' +
      (left === null ? 'time left unknown' : Math.ceil(left) + ' s left');
    document.title = Math.floor(100 * rec.frames / rec.total) + '% .quellTarn';
  }

  // The page's record mode: the screen, the viewer's click where the file
  // is picked, then the program. `run` starts it with its arguments.
  function start(run) {
    document.body.classList.add('recording');
    const panel = document.getElementById('record-panel');
    panel.hidden = false;
    document.getElementById('loading').hidden = true;
    document.getElementById('record-back').href = location.pathname;
    try {
      settings = readSettings(params);
    } catch (e) {
      rec.state = 'failed';
      finish('failed', 'The video was not saved: ' + e.message + '.');
      return;
    }
    const s = settings;
    rec.name = fileName(s);
    document.getElementById('record-what').textContent = 'Saving ' + rec.name;
    const line = [s.start, s.end, s.num, s.den, s.width, s.height, s.supersample, s.gentle ? 1 : 0].join(',');
    const go = async () => {
      if (s.to === 'pick') {
        try {
          picked = await openFile(s);
        } catch (e) {
          finish('failed', 'The video was not saved: no file was chosen (' + failureText(e) + ').');
          return;
        }
      }
      document.getElementById('record-go').hidden = true;
      document.getElementById('record-cancel').hidden = false;
      run(['--record', line]);
    };
    // Nothing is opened where nothing could be encoded.
    chooseCodec(s).then((codec) => {
      if (!codec) {
        finish('failed', 'The video was not saved: ' + noEncoder(s) + '. Nothing was written.');
        return;
      }
      if (s.to !== 'pick') { go(); return; }
      const button = document.getElementById('record-go');
      button.hidden = false;
      button.addEventListener('click', go, { once: true });
    });
  }

  function hookPage() {
    Module.page.recordBegin = recordBegin;
    Module.page.recordFrame = recordFrame;
    Module.page.recordEnd = recordEnd;
  }

  document.getElementById('record-cancel').addEventListener('click', () => {
    if (job) job.cancelled = true;
    rec.state = 'cancelling';
  });
  document.addEventListener('visibilitychange', () => {
    if (rec.state !== 'recording') return;
    if (document.hidden) Module.page.showNotice('record-hidden', 'The tab is hidden: the browser may ' +
                                                'slow the recording down; it goes on when the tab is back.');
  });
  document.getElementById('canvas').addEventListener('webglcontextlost', () => {
    if (rec.state === 'recording') fail('the GPU context was lost (the browser took the graphics away)');
  });

  // The start screen's form: the sizes WebGL draws here, the span, the rate.
  function offerForm() {
    const form = document.getElementById('save-form');
    if (!form) return;
    const sizes = document.getElementById('save-size');
    const largest = largestDrawn();
    for (const [w, h] of SIZES) {
      if (w > largest) continue;
      const o = document.createElement('option');
      o.value = w + 'x' + h;
      o.textContent = w + ' x ' + h;
      sizes.appendChild(o);
    }
    form.addEventListener('submit', (e) => {
      e.preventDefault();
      const q = new URLSearchParams();
      const span = document.getElementById('save-span').value.trim();
      q.set('record', span === '' ? 'all' : span);
      q.set('size', sizes.value);
      q.set('rate', document.getElementById('save-rate').value);
      q.set('supersample', document.getElementById('save-supersample').value);
      q.set('gentle', document.getElementById('gentle').checked ? '1' : '0');
      try {
        readSettings(q);
      } catch (err) {
        document.getElementById('save-problem').textContent = err.message;
        return;
      }
      location.assign(location.pathname + '?' + q.toString());
    });
    form.hidden = false;
    document.getElementById('save-open').addEventListener('click', () => {
      form.hidden = !form.hidden;
    });
  }

  window.DemoRecorder = { start, hookPage, offerForm, readSettings, toI420 };
})();
