// The page around the demo: loading bar, "click to start", the switch of
// gentle play, the audio context, keys, fullscreen, the screen kept on while
// it plays, "watch again", the offline copy, messages, and the program's side
// of the page calls (src/platform/web/page_bridge.cpp and audio.cpp).
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const stillTimes = params.get('at');
  // ?record=...: "Save as video" (record.js) instead of a play.
  const recording = stillTimes === null && params.has('record');
  // record.js comes only when it is wanted: the play needs none of it.
  let recorder = null;
  function loadRecorder() {
    if (!recorder) recorder = import('./record.js').then(() => window.DemoRecorder);
    return recorder;
  }
  if (recording) loadRecorder();
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const overlay = document.getElementById('overlay');
  const statusLine = document.getElementById('status');
  const fill = document.getElementById('fill');
  const startButton = document.getElementById('start');
  const messages = document.getElementById('messages');
  const gentleBox = document.getElementById('gentle');

  // What the tests and the measurements read: the state of the run, the
  // presented frames and their music times.
  const stats = {
    state: 'loading', exitCode: null, frames: 0, clickMs: null, firstFrameMs: null,
    musicDecodeMs: null, musicStartMs: null,
    musicMs: [], errors: [], still: null, stillsDone: false,
    clock: null, clockReason: null, sound: null, notices: [],
    canvasPixels: [640, 480], pixelBudget: null, antialias: null, contextLosses: 0, contextRestores: 0,
    plays: 0, musicDecodes: 0, stillRun: 0, wakeLock: null, wakeLockRequests: 0,
    offline: null, gentlePlay: null, paused: false, frameSeconds: null,
    // Turns the program gave the page in the middle of long work (a seek).
    turnsInWork: 0,
  };
  window.demoStats = stats;

  // The music plays in segments: from the audio context (audible position
  // minus the context time its first sample was scheduled for, plus the
  // music second it started at), or, while the browser gives no sound, on the
  // page's own clock. Either way the position never goes backwards.
  const audio = {
    ctx: null, buffer: null, bufferName: null, source: null, clock: null,
    segment: null,  // { kind: 'audio', ctxStart, offset } | { kind: 'silent', atMs, offset }
    baseMs: 0,      // the page clock's value when music second baseOffset was heard
    baseOffset: 0,
    lastPosition: 0,
    started: false,
    from: 0,        // the music second the next play starts at
    paused: null,   // { atMs, clockMs, position } while the viewer holds the music
  };
  const keys = [];
  let resumeStill = null;
  let replayAsked = null;   // answers the program's wait for "watch again"
  let endedInFullscreen = false;
  let leftFullscreenMs = -Infinity;
  const stillRuns = 1 + Math.max(0, Math.min(9, Number(params.get('again')) || 0));
  let clicked = null;  // answers the program's request for sound
  const shownNotices = new Map();
  let contextRestorePending = false;
  let contextLostTimer = null;

  // Gentle play (fewer and softer flashes): the switch on the start screen,
  // remembered by the page; until the viewer sets it, on where the browser
  // says they prefer reduced motion. A play takes it as it stands at the
  // click that starts it.
  function rememberedGentle() {
    try { return localStorage.getItem('quelltarn-gentle'); } catch (e) { return null; }
  }
  const toldGentle = rememberedGentle();
  gentleBox.checked = toldGentle === '1' || (toldGentle !== '0' && !!window.matchMedia &&
    matchMedia('(prefers-reduced-motion: reduce)').matches);
  gentleBox.addEventListener('change', () => {
    try {
      localStorage.setItem('quelltarn-gentle', gentleBox.checked ? '1' : '0');
    } catch (e) { /* no storage: the switch holds for this visit */ }
  });

  function showError(text) {
    const p = document.createElement('p');
    p.textContent = text;
    messages.appendChild(p);
    stats.errors.push(text);
    console.error(text);
  }

  // A non-fatal line for the viewer, under a key so it can be taken back.
  function showNotice(key, text) {
    hideNotice(key);
    const p = document.createElement('p');
    p.className = 'notice';
    p.textContent = text;
    messages.appendChild(p);
    shownNotices.set(key, p);
    stats.notices.push(text);
    console.warn(text);
  }
  function hideNotice(key) {
    const p = shownNotices.get(key);
    if (p) p.remove();
    shownNotices.delete(key);
  }

  // The context time that is reaching the speakers now, in seconds.
  function audibleSeconds() {
    if (!audio.clock) audio.clock = DemoAudioClock.createAudioClock();
    const t = audio.clock.read(DemoAudioClock.readContext(audio.ctx));
    const state = audio.clock.state();
    stats.clock = state.source;
    stats.clockReason = state.reason;
    return t;
  }

  // Seconds of music heard so far.
  function musicPosition() {
    if (audio.paused) return audio.paused.position;
    const seg = audio.segment;
    if (!seg) return 0;
    let t;
    if (seg.kind === 'audio') t = Math.max(0, audibleSeconds() - seg.ctxStart) + seg.offset;
    else t = (performance.now() - seg.atMs) / 1000 + seg.offset;
    if (t < audio.lastPosition) t = audio.lastPosition;
    audio.lastPosition = t;
    return t;
  }

  const soundText = {
    none: 'There is no sound: the browser did not start the audio output (no sound device, ' +
          'or sound is blocked for this page). The demo plays on without it; tap or click ' +
          'the picture to try again.',
    suspended: 'The sound was paused by the browser, and the picture waits for it: tap or ' +
               'click the picture to go on.',
    interrupted: 'The sound was interrupted (a call, or the screen was locked), and the ' +
                 'picture waits for it: tap or click the picture to go on.',
  };
  function setSound(state) {
    if (stats.sound === state) return;
    stats.sound = state;
    hideNotice('sound');
    if (soundText[state]) showNotice('sound', soundText[state]);
  }

  // Makes the context inside a click or tap handler, as the strictest
  // engines want: created, resumed and started with a silent buffer there.
  function openAudioInGesture() {
    const Context = window.AudioContext || window.webkitAudioContext;
    try {
      if (!audio.ctx || audio.ctx.state === 'closed') {
        if (!Context) return;
        audio.ctx = new Context();
        audio.ctx.addEventListener('statechange', onAudioState);
      }
      const ctx = audio.ctx;
      if (ctx.state !== 'running') ctx.resume().catch((e) => console.warn('audio: ' + e));
      const silent = ctx.createBufferSource();
      silent.buffer = ctx.createBuffer(1, 1, ctx.sampleRate);
      silent.connect(ctx.destination);
      silent.start(0);
    } catch (e) {
      console.warn('audio: ' + e);
    }
  }

  function waitForRunning(ms) {
    const ctx = audio.ctx;
    if (!ctx) return Promise.resolve(false);
    if (ctx.state === 'running') return Promise.resolve(true);
    return new Promise((resolve) => {
      const done = () => { clearInterval(poll); resolve(ctx.state === 'running'); };
      const poll = setInterval(() => { if (ctx.state === 'running') done(); }, 20);
      setTimeout(done, ms);
    });
  }

  // Starts the music at a music second, a little ahead so it starts on its
  // exact sample; the position follows the context from then on, from its
  // first reading as it is (a pause or a seek read nothing while the context
  // ran on with no source, and it may have fallen behind meanwhile).
  function startSource(offset) {
    const ctx = audio.ctx;
    if (audio.source) { try { audio.source.stop(); } catch (e) { /* never started */ } }
    if (audio.clock) audio.clock.restart();
    const source = ctx.createBufferSource();
    source.buffer = audio.buffer;
    source.connect(ctx.destination);
    const at = ctx.currentTime + 0.05;
    source.start(at, Math.min(offset, audio.buffer.duration));
    audio.source = source;
    return at;
  }

  // After a tap: sound back at the music's place, or on without it.
  async function retrySound() {
    if (!audio.started) return;
    const ok = await waitForRunning(2000);
    if (!ok) {
      if (audio.segment && audio.segment.kind === 'audio') {
        audio.segment = { kind: 'silent', atMs: performance.now(), offset: musicPosition() };
      }
      setSound('none');
      return;
    }
    if (audio.paused) {
      // The music comes back with the play.
      audio.segment = { kind: 'audio', ctxStart: 0, offset: audio.from };
    } else if (audio.segment.kind === 'silent') {
      const offset = musicPosition() + 0.05;
      const at = startSource(offset);
      audio.segment = { kind: 'audio', ctxStart: at, offset };
    }
    setSound('playing');
  }

  function onAudioState() {
    const ctx = audio.ctx;
    if (!audio.started || !ctx) return;
    if (ctx.state === 'running') {
      if (audio.segment && audio.segment.kind === 'audio') setSound('playing');
    } else if (ctx.state === 'interrupted') {
      if (audio.segment && audio.segment.kind === 'audio') setSound('interrupted');
    } else if (ctx.state === 'suspended') {
      if (audio.segment && audio.segment.kind === 'audio') setSound('suspended');
    }
  }

  // Any tap or click on the picture while the sound is missing tries again.
  function onPictureTap() {
    if (!audio.started || stats.sound === 'playing' || stats.state !== 'running') return;
    openAudioInGesture();
    retrySound();
  }

  function sleep(ms) { return new Promise((resolve) => setTimeout(resolve, ms)); }

  // Pause and seek. A pause stops the music's source where it is (what the
  // output holds in front of the speakers still plays out) and the page's
  // clock runs on by itself from the value it had; the play after it starts
  // a new source at the music second chosen, and once its first sample is
  // heard the clock follows the audio context again from there, as at the
  // start. The screen may sleep while the music is held.
  function pausedClockMs() {
    return audio.paused.clockMs + performance.now() - audio.paused.atMs;
  }

  function pauseAudio() {
    if (!audio.started || !audio.segment) return false;
    if (audio.paused) return true;
    const clockMs = page.clockMs();
    const position = musicPosition();
    if (audio.source) { try { audio.source.stop(); } catch (e) { /* never started */ } }
    audio.source = null;
    audio.paused = { atMs: performance.now(), clockMs, position };
    audio.from = position;
    stats.paused = true;
    rateCheck = null;
    releaseWakeLock();
    return true;
  }

  // Where the next play starts, in seconds of music: while paused, or
  // before the first play.
  function setAudioPosition(seconds) {
    if (audio.started && !audio.paused) return false;
    if (!(seconds >= 0)) return false;
    audio.from = audio.buffer ? Math.min(seconds, audio.buffer.duration) : seconds;
    // Paused, the position is where the play goes on from.
    if (audio.paused) audio.paused.position = audio.from;
    return true;
  }

  // The music again from audio.from; returns once its first sample is heard
  // (at once where the page plays without sound).
  async function resumeAudio() {
    const from = audio.from;
    const ctx = audio.ctx;
    let heard = false;
    if (audio.segment.kind === 'audio' && ctx && ctx.state === 'running') {
      // The context's time as it is now: Firefox hands currentTime to the
      // page in tasks of its own, so right after a seek's replay held the
      // page it is as old as the replay's last turn, and a start put 50 ms
      // after it could already be past (the source then starts late, and
      // the picture leads by that for the whole stretch).
      await sleep(0);
      const at = startSource(from);
      audio.segment = { kind: 'audio', ctxStart: at, offset: from };
      const giveUp = performance.now() + 3000;
      while (audibleSeconds() < at && performance.now() < giveUp) await sleep(1);
      heard = audibleSeconds() >= at;
    }
    if (!heard) {
      if (audio.segment.kind === 'audio') setSound('none');
      audio.segment = { kind: 'silent', atMs: performance.now(), offset: from };
    }
    resumeClock(from);
    return true;
  }

  // The clock's value now is where music second `from` is heard.
  function resumeClock(from) {
    audio.baseMs = pausedClockMs();
    audio.baseOffset = from;
    audio.lastPosition = from;
    audio.paused = null;
    stats.paused = false;
    if (stats.state === 'running') holdWakeLock();
  }
  const channel = new MessageChannel();
  const yielders = [];
  channel.port1.onmessage = () => { const r = yielders.shift(); if (r) r(); };

  const page = {
    nextAnimationFrame(frameSeconds) {
      return new Promise((resolve) => requestAnimationFrame(() => {
        stats.frames += 1;
        if (frameSeconds !== undefined) stats.frameSeconds = frameSeconds;
        if (stats.firstFrameMs === null && stats.clickMs !== null)
          stats.firstFrameMs = performance.now() - stats.clickMs;
        if (audio.started) stats.musicMs.push(musicPosition() * 1000);
        judgeFrameRate();
        resolve();
      }));
    },
    yieldNow() {
      stats.turnsInWork++;
      return new Promise((resolve) => { yielders.push(resolve); channel.port2.postMessage(0); });
    },
    showError,
    showNotice,
    setChapters,
    // Asked before the program makes its context: a throwaway context tells
    // what draws the WebGL here.
    wantsAntialias() {
      if (stillTimes !== null || recording) return false;
      // ?antialias=on or off overrides the choice (to compare what it costs).
      const asked = params.get('antialias');
      if (asked === 'on' || asked === 'off') {
        stats.antialias = asked === 'on';
        return stats.antialias;
      }
      let gl = null;
      try {
        gl = document.createElement('canvas').getContext('webgl', { antialias: false });
      } catch (e) { /* none */ }
      stats.antialias = !!gl && !isSoftwareRenderer(gl);
      return stats.antialias;
    },
    noWebGl() {
      showError('This browser gives the page no WebGL, which the demo draws with. Turn on ' +
                'hardware acceleration (graphics acceleration) in the browser\'s settings, ' +
                'or try another browser.');
    },
    takeContextRestore() {
      const r = contextRestorePending;
      contextRestorePending = false;
      return r;
    },
    // The program made its WebGL context on the canvas.
    contextMade(gl) {
      window.demoGL = gl;
      // A lost context is asked back (preventDefault); the program rebuilds
      // its textures and programs when it returns, the music goes on.
      canvas.addEventListener('webglcontextlost', (e) => {
        e.preventDefault();
        stats.contextLosses += 1;
        clearTimeout(contextLostTimer);
        contextLostTimer = setTimeout(() => {
          showNotice('context', 'The picture was lost: the browser took the graphics away ' +
                     '(a GPU reset, a driver update, or too many tabs) and has not given them ' +
                     'back. The music goes on; reload the page to see the picture again.');
        }, 5000);
      });
      canvas.addEventListener('webglcontextrestored', () => {
        stats.contextRestores += 1;
        clearTimeout(contextLostTimer);
        hideNotice('context');
        contextRestorePending = true;
      });
      softwareWebGl = isSoftwareRenderer(gl);
      pixelBudget = softwareWebGl ? softwareBudget : gpuBudget;
      if (!softwareWebGl) stats.pixelBudgetReason = 'gpu';
      stats.pixelBudget = pixelBudget;
      fitCanvas();
    },
    demoEnded(code) {
      stats.exitCode = code;
      stats.state = 'ended';
      releaseWakeLock();
      if (recording) return;  // record.js says how it ended
      // An Escape pressed in fullscreen takes the browser out of it as it
      // ends the play: that play still ended in fullscreen.
      endedInFullscreen = !!fullscreenElement() || performance.now() - leftFullscreenMs < 1500;
      if (fullscreenElement()) toggleFullscreen();
      if (code !== 0 && !stillTimes) {
        statusLine.textContent = 'The demo could not start.';
        document.getElementById('loading').hidden = false;
        startButton.hidden = true;
      }
      if (code === 0 && !stillTimes) {
        statusLine.textContent = 'The end.';
        overlay.classList.remove('gone');
        startButton.hidden = true;
        document.getElementById('loading').hidden = false;
        document.getElementById('bar').hidden = true;
        againButton.hidden = false;
        againButton.focus();
      }
    },
    // The program's switch of gentle play (a byte of its memory).
    gentleSwitchAt: 0,
    // Resolves when the viewer asks to watch again.
    waitForReplay() {
      return new Promise((resolve) => { replayAsked = resolve; });
    },
    // ?again=N: the stills are drawn N more times, each from a new start.
    stillsAgain() {
      if (stats.stillRun >= stillRuns - 1) return false;
      stats.stillRun += 1;
      stats.stillsDone = false;
      return true;
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
    // The page's clock before the music, the music's position after it.
    clockMs() {
      if (audio.paused) return pausedClockMs();
      if (audio.started) return audio.baseMs + (musicPosition() - audio.baseOffset) * 1000;
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
      if (workers && stats.offline === 'not yet') keepOffline();
      document.getElementById('loading').hidden = true;
      startButton.hidden = false;
      startButton.focus();
      return new Promise((resolve) => { clicked = resolve; });
    },
    // The decoded music is kept for the page's life: watching again plays it.
    async audioDecode(bytes, name) {
      try {
        const started = performance.now();
        statusLine.textContent = 'decoding the music';
        const decoder = new OfflineAudioContext(2, 44100, 44100);
        audio.buffer = await decoder.decodeAudioData(bytes);
        audio.bufferName = name;
        stats.musicDecodes += 1;
        stats.musicDecodeMs = performance.now() - started;
        // A play from ?t=S plays the timeline up to S unseen first.
        if (params.has('t')) statusLine.textContent = 'preparing the start';
        return true;
      } catch (e) {
        console.warn('audio: ' + e);
        return false;
      }
    },
    // Returns once the first sample is heard, or, where the browser gives
    // no sound, at once: the demo then plays on the page's clock.
    async audioPlay() {
      if (audio.started && audio.paused) return resumeAudio();
      if (stats.clickMs === null) await page.waitForClick();
      // The play takes the switch as the click found it.
      stats.gentlePlay = gentleBox.checked;
      if (page.gentleSwitchAt) Module.HEAPU8[page.gentleSwitchAt] = gentleBox.checked ? 1 : 0;
      const running = await waitForRunning(2000);
      const from = audio.from;
      audio.baseMs = performance.now();
      audio.baseOffset = from;
      if (running) {
        const at = startSource(from);
        const giveUp = performance.now() + 3000;
        audio.segment = { kind: 'audio', ctxStart: at, offset: from };
        while (audibleSeconds() < at && performance.now() < giveUp) await sleep(1);
        if (audibleSeconds() >= at) {
          audio.baseMs = performance.now();
          audio.started = true;
          setSound('playing');
        }
      }
      if (!audio.started) {
        audio.segment = { kind: 'silent', atMs: performance.now(), offset: from };
        audio.lastPosition = from;
        audio.baseMs = performance.now();
        audio.started = true;
        setSound('none');
      }
      if (stats.clickMs !== null) stats.musicStartMs = performance.now() - stats.clickMs;
      // A new play watches from its music's start: its loading came after the click.
      if (stats.plays > 1) watchMotion();
      return true;
    },
    audioKept(name) { return !!audio.buffer && audio.bufferName === name; },
    audioPlayedSeconds() { return audio.started ? musicPosition() : 0; },
    audioStartSeconds() { return audio.started ? audio.baseMs / 1000 : -1; },
    audioRate() { return audio.buffer ? audio.buffer.sampleRate : 44100; },
    // The output is closed; the decoded music stays.
    audioFree() {
      if (audio.source) { try { audio.source.stop(); } catch (e) { /* never started */ } }
      if (audio.ctx && audio.ctx.state !== 'closed') audio.ctx.close();
      audio.source = null;
      audio.ctx = null;
      audio.clock = null;
      audio.segment = null;
      audio.lastPosition = 0;
      audio.started = false;
      audio.baseOffset = 0;
      audio.from = 0;
      audio.paused = null;
      stats.paused = false;
    },
    audioPause: pauseAudio,
    audioSetPosition: setAudioPosition,
    async showStill(seconds, frame, isLast) {
      // Two animation frames: the drawn frame is on the canvas after them.
      await page.nextAnimationFrame();
      await page.nextAnimationFrame();
      stats.still = { seconds, frame, run: stats.stillRun };
      if (isLast && stats.stillRun >= stillRuns - 1) { stats.stillsDone = true; return; }
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
    stats.plays = 1;
    overlay.classList.add('gone');
    canvas.focus();
    openAudioInGesture();
    holdWakeLock();
    const answer = clicked;
    clicked = null;
    answer(true);
    watchMotion();
  }

  // "watch again": a new play from the start with what the page holds (the
  // program's files, the decoded music), in fullscreen if the last one ended
  // there. Everything the click must do (sound, fullscreen, the screen kept
  // on) is done inside it.
  function watchAgain() {
    if (stats.state !== 'ended' || !replayAsked) return;
    stats.plays += 1;
    stats.state = 'running';
    stats.exitCode = null;
    stats.clickMs = performance.now();
    stats.firstFrameMs = null;
    stats.musicStartMs = null;
    stats.musicMs = [];
    againButton.hidden = true;
    keys.length = 0;
    statusLine.textContent = 'preparing the pictures';
    overlay.classList.add('gone');
    if (endedInFullscreen && !fullscreenElement()) toggleFullscreen();
    canvas.focus();
    openAudioInGesture();
    holdWakeLock();
    const answer = replayAsked;
    replayAsked = null;
    answer();
  }

  // The screen stays on while the demo plays: a wake lock asked for in the
  // click, given back at the end, and while the tab is hidden (the browser
  // drops it then), asked for again when the tab comes back. Browsers
  // without one play as before, and say nothing.
  const wake = { wanted: false, sentinel: null, asking: false };
  stats.wakeLock = navigator.wakeLock ? 'released' : 'not offered';
  function holdWakeLock() {
    wake.wanted = true;
    if (!navigator.wakeLock || wake.sentinel || wake.asking || document.hidden) return;
    wake.asking = true;
    stats.wakeLockRequests += 1;
    let asked;
    try {
      asked = navigator.wakeLock.request('screen');
    } catch (e) {
      asked = Promise.reject(e);
    }
    asked.then((sentinel) => {
      wake.asking = false;
      sentinel.addEventListener('release', () => {
        if (wake.sentinel !== sentinel) return;
        wake.sentinel = null;
        stats.wakeLock = 'released';
      });
      if (!wake.wanted || document.hidden) {
        sentinel.release().catch(() => {});
        return;
      }
      wake.sentinel = sentinel;
      stats.wakeLock = 'held';
    }, (e) => {
      // Refused (no permission, battery saver): the demo plays on.
      wake.asking = false;
      stats.wakeLock = 'refused';
      console.log('wake lock: ' + e);
    });
  }
  function dropWakeLock() {
    const sentinel = wake.sentinel;
    wake.sentinel = null;
    if (sentinel) {
      stats.wakeLock = 'released';
      sentinel.release().catch(() => {});
    }
  }
  function releaseWakeLock() {
    wake.wanted = false;
    dropWakeLock();
  }
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) dropWakeLock();
    else if (wake.wanted && stats.state === 'running') holdWakeLock();
  });

  // After the click the picture and the music clock must move; a few
  // seconds without either get a message (taken back once they move).
  function watchMotion() {
    let lastMusic = null;
    let lastFrames = 0;
    let stillSince = performance.now();
    const timer = setInterval(() => {
      if (stats.state !== 'running') { clearInterval(timer); hideNotice('motion'); return; }
      const music = stats.musicMs.length ? stats.musicMs[stats.musicMs.length - 1] : null;
      const moved = stats.frames > lastFrames && music !== null && music !== lastMusic;
      lastFrames = stats.frames;
      lastMusic = music;
      const waitingForSound = stats.sound === 'suspended' || stats.sound === 'interrupted' ||
                              document.hidden || stats.paused;
      if (moved || waitingForSound) {
        stillSince = performance.now();
        hideNotice('motion');
      } else if (performance.now() - stillSince > 5000 && !shownNotices.has('motion')) {
        showNotice('motion', 'The demo is not moving: ' +
                   (stats.frames === 0 ? 'no picture has been drawn'
                                       : 'the music clock has stopped') +
                   ' since the click. Try reloading the page, or another browser.');
      }
    }, 500);
  }

  // The keys the play answers (Escape, Space, Page Up/Down, Left, Right) do
  // nothing else on the page meanwhile (no scrolling, no button pressed). A
  // key held down is one press: its repeats are not passed on.
  const playKeyCodes = new Set([27, 32, 33, 34, 37, 39]);
  function onKey(down) {
    return (e) => {
      if (stats.state === 'loading' || stats.state === 'ended') return;
      if (playKeyCodes.has(e.keyCode) && stats.state === 'running') e.preventDefault();
      else if (e.keyCode === 27) e.preventDefault();
      if (down && e.repeat) return;
      keys.push([e.keyCode | 0, down ? 1 : 0, e.altKey ? 1 : 0]);
    };
  }
  window.addEventListener('keydown', onKey(true));
  window.addEventListener('keyup', onKey(false));

  // Element fullscreen, where the browser has it (iPhone Safari has none).
  const requestFs = stage.requestFullscreen || stage.webkitRequestFullscreen;
  const fullscreenOffered = !!requestFs &&
    (document.fullscreenEnabled || document.webkitFullscreenEnabled) !== false;
  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }
  function toggleFullscreen() {
    if (!fullscreenOffered) return;
    if (fullscreenElement()) {
      const exit = document.exitFullscreen || document.webkitExitFullscreen;
      const r = exit.call(document);
      if (r && r.catch) r.catch(() => {});
    } else {
      const r = requestFs.call(stage);
      if (r && r.then) r.then(lockLandscape, (e) => console.warn(e));
      else lockLandscape();
    }
  }
  // A phone in fullscreen turns the picture sideways: the demo is
  // landscape. Browsers without the lock, or that refuse it (desktops),
  // leave the screen as it is, quietly.
  function lockLandscape() {
    const o = screen.orientation;
    if (!o || typeof o.lock !== 'function') return;
    try {
      const r = o.lock('landscape');
      if (r && r.catch) r.catch(() => {});
    } catch (e) { /* not offered */ }
  }
  const fullscreenButton = document.getElementById('fullscreen');
  if (fullscreenOffered) {
    fullscreenButton.addEventListener('click', toggleFullscreen);
    canvas.addEventListener('dblclick', toggleFullscreen);
    // A double tap does the same on touch screens.
    let lastTap = 0;
    canvas.addEventListener('touchend', (e) => {
      const now = performance.now();
      if (now - lastTap < 350 && stats.state === 'running') {
        e.preventDefault();
        toggleFullscreen();
        lastTap = 0;
      } else {
        lastTap = now;
      }
    });
  } else {
    fullscreenButton.hidden = true;
    document.getElementById('hint').textContent = 'Escape ends the demo.';
  }

  // The canvas is drawn at the pixels it is shown with (its CSS size times
  // the device pixel ratio), up to the pixel budget; the program follows
  // the canvas size. Stills stay 640x480.
  //
  // Software WebGL pays for every pixel. It starts with a 640x480 box's own
  // pixels at density 2; if the first seconds of the play come out below
  // 24 frames a second at more pixels than 640x480, the budget drops to
  // 640x480 once, for the rest of the play (demoStats.pixelBudgetReason).
  const softwareBudget = 1280 * 960;
  const slowBudget = 640 * 480;
  const gpuBudget = 2880 * 2160;
  const smoothFps = 24;
  let pixelBudget = softwareBudget;
  let softwareWebGl = true;
  stats.pixelBudget = pixelBudget;
  stats.pixelBudgetReason = null;
  // The window being measured: { fromMs, frames, startedMs }. A hidden tab
  // presents nothing, so a window it falls into starts again.
  let rateCheck = null;
  document.addEventListener('visibilitychange', () => { rateCheck = null; });
  function judgeFrameRate() {
    if (!softwareWebGl || stats.firstFrameMs === null || stats.pixelBudgetReason !== null) return;
    const now = performance.now();
    // The first second after the click is start-up; the next two are judged.
    if (!rateCheck) {
      rateCheck = { fromMs: now + 1000, frames: null, startedMs: 0 };
      return;
    }
    if (now < rateCheck.fromMs) return;
    if (rateCheck.frames === null) {
      rateCheck.frames = stats.frames;
      rateCheck.startedMs = now;
      return;
    }
    if (now - rateCheck.startedMs < 2000) return;
    const fps = (stats.frames - rateCheck.frames) * 1000 / (now - rateCheck.startedMs);
    const pixels = canvas.width * canvas.height;
    if (fps >= smoothFps || pixels <= slowBudget) {
      stats.pixelBudgetReason = 'kept: ' + fps.toFixed(1) + ' fps at ' + canvas.width + 'x' +
                                canvas.height;
      return;
    }
    pixelBudget = slowBudget;
    stats.pixelBudget = pixelBudget;
    stats.pixelBudgetReason = 'lowered: ' + fps.toFixed(1) + ' fps at ' + canvas.width + 'x' +
                              canvas.height;
    fitCanvas();
  }
  function fitCanvas() {
    if (stillTimes !== null || recording || !window.demoGL) return;
    const box = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    let w = Math.max(1, Math.round(box.width * ratio));
    let h = Math.max(1, Math.round(box.height * ratio));
    if (w * h > pixelBudget) {
      const k = Math.sqrt(pixelBudget / (w * h));
      w = Math.max(1, Math.floor(w * k));
      h = Math.max(1, Math.floor(h * k));
    }
    // The CSS box is 4:3; rounding should not make the picture lose a row.
    if (Math.abs(w * 3 - h * 4) <= 4) h = Math.round((w * 3) / 4);
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    stats.canvasPixels = [canvas.width, canvas.height];
  }
  if (window.ResizeObserver) new ResizeObserver(fitCanvas).observe(canvas);
  for (const name of ['resize', 'orientationchange'])
    window.addEventListener(name, fitCanvas);
  for (const name of ['fullscreenchange', 'webkitfullscreenchange']) {
    document.addEventListener(name, fitCanvas);
    document.addEventListener(name, () => {
      if (!fullscreenElement()) leftFullscreenMs = performance.now();
    });
  }

  function isSoftwareRenderer(gl) {
    let name = '';
    try {
      const info = gl.getExtension('WEBGL_debug_renderer_info');
      name = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER) || '');
    } catch (e) { /* unknown: taken as software */ }
    // WebKit names every renderer "Apple GPU"; away from Apple's own
    // machines that says nothing, and unknown is taken as software.
    const apple = /Mac|iPhone|iPad|iPod/.test(navigator.platform || navigator.userAgent);
    if (/^apple gpu$/i.test(name.trim()) && !apple) return true;
    return name === '' || /swiftshader|llvmpipe|softpipe|software|basic render/i.test(name);
  }

  // Touch screens: a tap on the picture shows a thin bar of the parts, as
  // chapters, and the time; a tap on a part goes to its start (as its number
  // key does); the bar hides by itself a few seconds after the last tap.
  const chapterBar = document.getElementById('chapters');
  const chapterClock = document.getElementById('chapter-time');
  const chapterShowMs = 4000;
  const chapters = { endMs: 0, hideTimer: null, tick: null };
  stats.chapterBar = 'hidden';
  function setChapters(startsMs, endMs) {
    const list = document.getElementById('chapter-parts');
    if (list.children.length) return;
    chapters.endMs = endMs;
    startsMs.forEach((from, part) => {
      const to = part + 1 < startsMs.length ? startsMs[part + 1] : endMs;
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = String(part);
      b.title = 'part ' + part + ' (' + clockText(from) + ')';
      b.style.flexGrow = String(Math.max(1, to - from));
      b.addEventListener('click', (e) => { e.stopPropagation(); goToPart(part); });
      list.appendChild(b);
    });
  }
  function clockText(ms) {
    const s = Math.max(0, Math.floor(ms / 1000));
    return Math.floor(s / 60) + ':' + String(s % 60).padStart(2, '0');
  }
  function showChapters() {
    if (stats.state !== 'running' || !chapters.endMs) return;
    chapterBar.hidden = false;
    stats.chapterBar = 'shown';
    updateChapterClock();
    clearInterval(chapters.tick);
    chapters.tick = setInterval(updateChapterClock, 250);
    clearTimeout(chapters.hideTimer);
    chapters.hideTimer = setTimeout(hideChapters, chapterShowMs);
  }
  function hideChapters() {
    chapterBar.hidden = true;
    stats.chapterBar = 'hidden';
    clearInterval(chapters.tick);
    clearTimeout(chapters.hideTimer);
  }
  function updateChapterClock() {
    if (stats.state !== 'running') return hideChapters();
    // Paused, the time of the frame shown (a seek moves it, not the music).
    const ms = audio.paused ? (stats.frameSeconds || 0) * 1000
                            : audio.started ? musicPosition() * 1000 : 0;
    chapterClock.textContent = clockText(ms) + ' / ' + clockText(chapters.endMs) +
                               (audio.paused ? ' paused' : '');
  }
  function goToPart(part) {
    if (stats.state !== 'running') return;
    keys.push([48 + part, 1, 0], [48 + part, 0, 0]);
    showChapters();
  }
  canvas.addEventListener('pointerup', (e) => { if (e.pointerType === 'touch') showChapters(); });

  startButton.addEventListener('click', start);
  const againButton = document.getElementById('again');
  againButton.addEventListener('click', watchAgain);
  stage.addEventListener('click', onPictureTap);

  if (stillTimes !== null) document.body.classList.add('still');
  const saveButton = document.getElementById('save-open');
  if (stillTimes !== null || recording) saveButton.hidden = true;
  saveButton.addEventListener('click', () => {
    loadRecorder().then((r) => r.offerForm(),
                        (e) => showNotice('save', 'Save as video is not offered: record.js did not load (' +
                                                  e.message + ').'));
  }, { once: true });

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
        // &seek: each still is the frame a seek draws; &fps=60: the plain
        // stills on the seek's 60 fps clock.
        const how = params.has('seek') ? ['--seek'] : params.get('fps') === '60' ? ['--fps', '60'] : [];
        run(['--at', stillTimes].concat(how));
        return;
      }
      if (recording) {
        loadRecorder().then((r) => { r.hookPage(); r.start(run); },
                            (e) => showError('The video was not saved: record.js did not load (' + e.message + ').'));
        return;
      }
      // ?t=S: the play starts S seconds into the music.
      run(params.has('t') ? ['--start', params.get('t')] : []);
    },
    onAbort(what) {
      // demo.wasm that did not arrive (or arrived damaged) ends here too.
      if (stats.state === 'loading' && !stats.exitCode) {
        downloadFailed('the program did not load (' + what + ')');
        return;
      }
      stats.state = 'ended';
      showError('the program stopped: ' + what);
    },
  };
  // Whatever stops the page before or outside the program (a missing file of
  // the page, a failed download) is shown too, not only logged.
  window.addEventListener('error', (e) => {
    if (dataFailure) return;  // already told, as a download failure
    if (e.target && e.target.tagName === 'SCRIPT') downloadFailed('cannot load ' + e.target.src);
    else if (e.message) showError(e.message);
  }, true);

  // The downloads: the data package first (with the loading bar), checked
  // before the program sees it; then its index and the program. A failure
  // says so and offers to try again.
  const retryButton = document.getElementById('retry');
  let dataPackage = null;
  let dataFailure = false;

  function downloadFailed(why) {
    if (stats.state === 'failed') return;
    stats.state = 'failed';
    showError('The download of the demo failed: ' + why + '. Check the connection and try again.');
    statusLine.textContent = 'download failed';
    document.getElementById('loading').hidden = false;
    retryButton.hidden = false;
  }

  async function fetchData() {
    let response;
    try {
      response = await fetch('demo.data', { cache: 'no-cache' });
    } catch (e) {
      throw new Error('the connection failed (' + e.message + ')');
    }
    if (!response.ok) throw new Error('the server answered ' + response.status + ' for demo.data');
    const type = response.headers.get('content-type') || '';
    if (/text\/html/i.test(type)) throw new Error('the server sent a web page instead of the data');
    const total = Number(response.headers.get('content-length')) || 0;
    const parts = [];
    let loaded = 0;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        parts.push(value);
        loaded += value.length;
        Module.setStatus('Downloading data... (' + loaded + '/' + (total || loaded) + ')');
      }
    } catch (e) {
      throw new Error('the connection dropped after ' + (loaded / 1e6).toFixed(1) + ' MB');
    }
    if (total && loaded !== total)
      throw new Error('it stopped after ' + loaded + ' of ' + total + ' bytes');
    const bytes = new Uint8Array(loaded);
    let at = 0;
    for (const p of parts) { bytes.set(p, at); at += p.length; }
    return bytes.buffer;
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement('script');
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error('cannot load ' + src));
      document.body.appendChild(s);
    });
  }

  // The package index asks for the package with its size: a package of
  // another size is a truncated file or something else entirely.
  Module.getPreloadedPackage = (name, size) => {
    if (!dataPackage) return null;
    if (dataPackage.byteLength !== size) {
      const head = new TextDecoder().decode(new Uint8Array(dataPackage, 0, Math.min(64, dataPackage.byteLength)));
      dataFailure = true;
      downloadFailed(/<(!doctype|html)/i.test(head) ? 'the server sent a web page instead of the data'
        : 'demo.data has ' + dataPackage.byteLength + ' bytes, not ' + size);
      dataPackage = null;
      throw new Error('the data package is damaged');
    }
    const p = dataPackage;
    dataPackage = null;
    return p;
  };

  let programLoaded = false;
  async function download() {
    stats.state = 'loading';
    retryButton.hidden = true;
    statusLine.textContent = 'loading';
    dataFailure = false;
    try {
      dataPackage = await fetchData();
      await loadScript('demo-data.js');
    } catch (e) {
      if (!dataFailure) downloadFailed(e.message);
      return;
    }
    if (dataFailure) return;
    if (!programLoaded) {
      programLoaded = true;
      loadScript('demo.js').catch((e) => downloadFailed(e.message));
    }
  }
  retryButton.addEventListener('click', () => {
    for (const p of Array.from(messages.children)) if (!p.classList.contains('notice')) p.remove();
    // The program itself is fetched again with the page.
    if (programLoaded) location.reload();
    else download();
  });

  // The offline copy (sw.js): asked for once the page has everything, so
  // the worker's own fetches find the files in the browser's cache. It says
  // once, quietly, when the demo is ready to play offline.
  const offlineLine = document.getElementById('offline');
  const workers = stillTimes === null && window.isSecureContext && navigator.serviceWorker;
  stats.offline = workers ? 'not yet' : 'not offered';

  function askWorker(worker, message) {
    return new Promise((resolve) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = (e) => resolve(e.data);
      worker.postMessage(message, [channel.port2]);
      setTimeout(() => resolve(null), 5000);
    });
  }

  async function keepOffline() {
    try {
      await navigator.serviceWorker.register('sw.js');
      const registration = await navigator.serviceWorker.ready;
      const answer = registration.active && await askWorker(registration.active, { ask: 'version' });
      if (!answer) return;
      stats.offline = answer.version;
      // Said the first time only: later builds replace the copy silently.
      let told = null;
      try { told = localStorage.getItem('quelltarn-offline'); } catch (e) { /* no storage */ }
      if (told) return;
      offlineLine.textContent = 'Ready to play offline.';
      offlineLine.hidden = false;
      try { localStorage.setItem('quelltarn-offline', answer.version); } catch (e) { /* no storage */ }
    } catch (e) {
      // No offline copy (private browsing, no storage): the page plays online.
      stats.offline = 'failed';
      console.log('offline copy: ' + e);
    }
  }

  // A newer build that waits for the old one's pages to close takes over
  // when this page starts alone: the page reloads at once, before it loads
  // anything, and comes back whole from the new build.
  async function takeWaitingBuild() {
    if (!workers || !navigator.serviceWorker.controller) return false;
    let registration = null;
    try { registration = await navigator.serviceWorker.getRegistration(); } catch (e) { return false; }
    if (!registration || !registration.waiting) return false;
    const changed = new Promise((resolve) => {
      navigator.serviceWorker.addEventListener('controllerchange', resolve, { once: true });
    });
    const answer = await askWorker(registration.waiting, { ask: 'take' });
    if (!answer || !answer.taken) return false;
    await Promise.race([changed, sleep(10000)]);
    location.reload();
    return true;
  }

  if (!window.WebAssembly) {
    stats.state = 'failed';
    showError('this browser cannot run WebAssembly');
  } else {
    takeWaitingBuild().then((reloading) => { if (!reloading) download(); },
                            () => download());
  }
})();
