// The page around the demo: loading bar, "click to start", the audio context,
// keys, fullscreen, messages, and the program's side of the page calls
// (src/platform/web/page_bridge.cpp and audio.cpp).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const stillTimes = params.get('at');
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const overlay = document.getElementById('overlay');
  const statusLine = document.getElementById('status');
  const fill = document.getElementById('fill');
  const startButton = document.getElementById('start');
  const messages = document.getElementById('messages');

  // What the tests and the measurements read: the state of the run, the
  // presented frames and their music times.
  const stats = {
    state: 'loading', exitCode: null, frames: 0, clickMs: null, firstFrameMs: null,
    musicDecodeMs: null, musicStartMs: null,
    musicMs: [], errors: [], still: null, stillsDone: false,
  };
  window.demoStats = stats;

  const audio = { ctx: null, buffer: null, source: null, startTime: 0, lastAudible: 0 };
  const keys = [];
  let resumeStill = null;
  let clicked = null;  // answers the program's request for sound

  function showError(text) {
    const p = document.createElement('p');
    p.textContent = text;
    messages.appendChild(p);
    stats.errors.push(text);
    console.error(text);
  }

  // The context time that is reaching the speakers now, in seconds.
  function audibleSeconds() {
    const ctx = audio.ctx;
    let t = ctx.currentTime - (ctx.outputLatency || ctx.baseLatency || 0);
    if (ctx.getOutputTimestamp) {
      const ts = ctx.getOutputTimestamp();
      if (ts.performanceTime > 0)
        t = ts.contextTime + (performance.now() - ts.performanceTime) / 1000;
    }
    // Never backwards, whatever the two clocks do between their updates.
    if (t < audio.lastAudible) t = audio.lastAudible;
    audio.lastAudible = t;
    return t;
  }

  function sleep(ms) { return new Promise((resolve) => setTimeout(resolve, ms)); }
  const channel = new MessageChannel();
  const yielders = [];
  channel.port1.onmessage = () => { const r = yielders.shift(); if (r) r(); };

  const page = {
    nextAnimationFrame() {
      return new Promise((resolve) => requestAnimationFrame(() => {
        stats.frames += 1;
        if (stats.firstFrameMs === null && stats.clickMs !== null)
          stats.firstFrameMs = performance.now() - stats.clickMs;
        if (audio.source) stats.musicMs.push((audibleSeconds() - audio.startTime) * 1000);
        resolve();
      }));
    },
    yieldNow() {
      return new Promise((resolve) => { yielders.push(resolve); channel.port2.postMessage(0); });
    },
    showError,
    demoEnded(code) {
      stats.exitCode = code;
      stats.state = 'ended';
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      if (code !== 0 && !stillTimes) {
        statusLine.textContent = 'The demo could not start.';
        document.getElementById('loading').hidden = false;
        startButton.hidden = true;
      }
      if (code === 0 && !stillTimes) {
        statusLine.textContent = 'The end. Reload the page to watch again.';
        overlay.classList.remove('gone');
        startButton.hidden = true;
        document.getElementById('loading').hidden = false;
        document.getElementById('bar').hidden = true;
      }
    },
    takeKeys(index, max) {
      const n = Math.min(max, keys.length);
      for (let i = 0; i < n; ++i) {
        const k = keys.shift();
        Module.HEAP32[index + 3 * i] = k[0];
        Module.HEAP32[index + 3 * i + 1] = k[1];
        Module.HEAP32[index + 3 * i + 2] = k[2];
      }
      return n;
    },
    clockMs() {
      if (audio.ctx && audio.ctx.state === 'running') return audibleSeconds() * 1000;
      return performance.now();
    },
    // Sound before a gesture is refused by browsers, decoding is not: the
    // music is decoded right after the loading, and the page waits for the
    // click on "click to start" only when the program starts to play it.
    audioInit() {
      return !!(window.OfflineAudioContext && (window.AudioContext || window.webkitAudioContext));
    },
    waitForClick() {
      stats.state = 'ready';
      document.getElementById('loading').hidden = true;
      startButton.hidden = false;
      startButton.focus();
      return new Promise((resolve) => { clicked = resolve; });
    },
    async audioDecode(bytes) {
      try {
        const started = performance.now();
        statusLine.textContent = 'decoding the music';
        const decoder = new OfflineAudioContext(2, 44100, 44100);
        audio.buffer = await decoder.decodeAudioData(bytes);
        stats.musicDecodeMs = performance.now() - started;
        return true;
      } catch (e) {
        console.warn('audio: ' + e);
        return false;
      }
    },
    async audioPlay() {
      if (!audio.ctx && !(await page.waitForClick())) return false;
      const ctx = audio.ctx;
      if (ctx.state !== 'running') await Promise.race([ctx.resume(), sleep(3000)]);
      if (ctx.state !== 'running') return false;
      const source = ctx.createBufferSource();
      source.buffer = audio.buffer;
      source.connect(ctx.destination);
      // Scheduled a little ahead so it starts on its exact sample; the demo
      // clock's zero is taken once that sample is heard.
      audio.startTime = ctx.currentTime + 0.05;
      source.start(audio.startTime);
      audio.source = source;
      const giveUp = performance.now() + 3000;
      while (audibleSeconds() < audio.startTime) {
        if (performance.now() > giveUp) return false;
        await sleep(1);
      }
      if (stats.clickMs !== null) stats.musicStartMs = performance.now() - stats.clickMs;
      return true;
    },
    audioPlayedSeconds() {
      return audio.source ? Math.max(0, audibleSeconds() - audio.startTime) : 0;
    },
    audioStartSeconds() { return audio.source ? audio.startTime : -1; },
    audioRate() { return audio.buffer ? audio.buffer.sampleRate : 44100; },
    audioFree() {
      if (audio.source) { try { audio.source.stop(); } catch (e) { /* never started */ } }
      if (audio.ctx && audio.ctx.state !== 'closed') audio.ctx.close();
      audio.source = null;
      audio.ctx = null;
    },
    async showStill(seconds, frame, isLast) {
      // Two animation frames: the drawn frame is on the canvas after them.
      await page.nextAnimationFrame();
      await page.nextAnimationFrame();
      stats.still = { seconds, frame };
      if (isLast) { stats.stillsDone = true; return; }
      await new Promise((resolve) => { resumeStill = resolve; });
    },
  };
  // The test driver takes a screenshot of each still, then lets it go on.
  window.demoResume = () => { const r = resumeStill; resumeStill = null; stats.still = null; if (r) r(); };

  function run(args) {
    stats.state = 'starting';
    statusLine.textContent = 'preparing the pictures';
    Module.callMain(args);
  }

  function start() {
    if (stats.state !== 'ready' || !clicked) return;
    stats.clickMs = performance.now();
    stats.state = 'running';
    overlay.classList.add('gone');
    canvas.focus();
    const Context = window.AudioContext || window.webkitAudioContext;
    try {
      if (Context) audio.ctx = new Context();
    } catch (e) {
      console.warn('audio: ' + e);
    }
    const answer = clicked;
    clicked = null;
    answer(!!audio.ctx);
  }

  function onKey(down) {
    return (e) => {
      if (stats.state === 'loading' || stats.state === 'ended') return;
      keys.push([e.keyCode | 0, down ? 1 : 0, e.altKey ? 1 : 0]);
      if (e.keyCode === 27) e.preventDefault();
    };
  }
  window.addEventListener('keydown', onKey(true));
  window.addEventListener('keyup', onKey(false));

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (stage.requestFullscreen) stage.requestFullscreen().catch((e) => console.warn(e));
  }
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  canvas.addEventListener('dblclick', toggleFullscreen);
  startButton.addEventListener('click', start);

  if (stillTimes !== null) document.body.classList.add('still');

  window.Module = {
    page,
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus(text) {
      // "Downloading data... (loaded/total)" while the package arrives.
      const m = /\((\d+)\/(\d+)\)/.exec(text || '');
      if (m) {
        const total = Number(m[2]);
        fill.style.width = (total > 0 ? (100 * Number(m[1])) / total : 0) + '%';
        statusLine.textContent = 'loading ' + (Number(m[1]) / 1e6).toFixed(1) + ' / ' +
          (total / 1e6).toFixed(1) + ' MB';
      }
    },
    onRuntimeInitialized() {
      fill.style.width = '100%';
      if (stillTimes !== null) {
        overlay.classList.add('gone');
        run(['--at', stillTimes]);
        return;
      }
      run([]);
    },
    onAbort(what) {
      stats.state = 'ended';
      showError('the program stopped: ' + what);
    },
  };
  // Whatever stops the page before or outside the program (a missing file of
  // the page, a failed download) is shown too, not only logged.
  window.addEventListener('error', (e) => {
    if (e.target && e.target.tagName === 'SCRIPT') showError('cannot load ' + e.target.src);
    else if (e.message) showError(e.message);
  }, true);
  if (!window.WebAssembly) showError('this browser cannot run WebAssembly');
})();
