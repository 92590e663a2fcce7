// Where the audio context's output is, in context seconds, from the readings
// a page can take: getOutputTimestamp() where the browser has it and it holds
// up, otherwise currentTime minus the output latency, smoothed.
//
// A timestamp is trusted only after it has shown, over a second of playing,
// that its performanceTime is on performance.now()'s time base, that both of
// its times advance at real speed, and that it agrees with currentTime. Some
// engines get this wrong (a performanceTime seconds ahead and running at
// twice the rate, a frozen timestamp, or one that leaves out the output
// latency the context reports); the first failure is final.
'use strict';

(function (root) {
  const windowMs = 1000;      // length of one check of the timestamp
  const rateTolerance = 0.1;  // real speed within 10 %
  const aheadToleranceS = 0.05;
  const slewShare = 0.1;      // share of the error taken per reading
  const snapS = 0.25;         // errors beyond this are taken at once
  const minLatencyS = 0.01;   // output latencies from which a timestamp must show them

  function createAudioClock() {
    const c = {
      source: 'currentTime',
      reason: 'timestamp not checked yet',
      trusted: false,
      failed: false,
      check: null,       // first reading of the current check window
      previous: null,    // how far off the last reading in step was
      model: null,       // smoothed position: { atMs, seconds }
      last: -Infinity,   // never backwards
    };

    function distrust(reason) {
      c.failed = true;
      c.trusted = false;
      c.source = 'currentTime';
      c.reason = reason;
    }

    // Out of step with performance.now() or currentTime: off from its first
    // reading, or by a jump, is an offset; in step at first and drifted off
    // since, a little more with each reading, is a rate. (Timestamps move in
    // steps of up to a few tens of milliseconds, so a step's growth is
    // judged against the tolerance, not against the time between readings.)
    function outOfStepReason(aheadMs, offMs) {
      const p = c.previous;
      if (!p) return 'timestamp offset';
      const grown = Math.max(Math.abs(aheadMs - p.aheadMs), Math.abs(offMs - p.offMs));
      return grown <= aheadToleranceS * 1000 ? 'timestamp rate' : 'timestamp offset';
    }

    // r: { now (performance.now(), ms), running, currentTime, latency (s),
    //      ts: null or { contextTime, performanceTime } , hasTimestamp }
    function judge(r) {
      if (c.failed) return;
      if (!r.hasTimestamp) return distrust('no getOutputTimestamp');
      if (!r.running) { c.check = null; c.previous = null; return; }
      const ts = r.ts;
      if (!(ts.performanceTime > 0) || !(ts.contextTime > 0)) {
        if (!c.check) c.check = { now: r.now, ct: r.currentTime, tc: 0, tp: 0, empty: true };
        else if (r.now - c.check.now >= 2 * windowMs && r.currentTime - c.check.ct > 0.5)
          distrust('timestamp frozen');
        return;
      }
      // The timestamp tells when a sample was heard: not in the future of
      // performance.now(), not after what has been rendered (currentTime).
      const audible = ts.contextTime + (r.now - ts.performanceTime) / 1000;
      const aheadMs = ts.performanceTime - r.now;
      const offMs = (audible - r.currentTime) * 1000;
      if (aheadMs > aheadToleranceS * 1000 || offMs > aheadToleranceS * 1000 ||
          offMs < -Math.max(1, 3 * r.latency) * 1000)
        return distrust(outOfStepReason(aheadMs, offMs));
      const reading = { now: r.now, ct: r.currentTime, tc: ts.contextTime, tp: ts.performanceTime };
      c.previous = { aheadMs, offMs };
      if (!c.check || c.check.empty) {
        c.check = reading;
        return;
      }
      const dn = r.now - c.check.now;
      if (dn < windowMs) return;
      const dct = r.currentTime - c.check.ct;
      const dtc = ts.contextTime - c.check.tc;
      const dtp = ts.performanceTime - c.check.tp;
      if (dct > 0.5 * dn / 1000 && (dtc <= 0 || dtp <= 0)) return distrust('timestamp frozen');
      if (Math.abs(dtc * 1000 / dn - 1) > rateTolerance ||
          Math.abs(dtp / dn - 1) > rateTolerance)
        return distrust('timestamp rate');
      // A timestamp that has currentTime reaching the speakers now, while the
      // context says its output holds latency seconds in front of them, leaves
      // that latency out: the picture would lead the sound by it.
      if (r.latency >= minLatencyS && offMs > -r.latency * 1000 / 2)
        return distrust('timestamp without latency');
      c.check = reading;
      if (!c.trusted) {
        c.trusted = true;
        c.source = 'timestamp';
        c.reason = null;
      }
    }

    // The position heard now, in context seconds.
    function read(r) {
      judge(r);
      let raw = r.currentTime - r.latency;
      if (c.trusted && r.ts) raw = r.ts.contextTime + (r.now - r.ts.performanceTime) / 1000;
      if (!r.running) {
        // Nothing advances while the context is stopped.
        c.model = { atMs: r.now, seconds: Math.max(c.last, Math.min(raw, r.currentTime)) };
      } else if (!c.model) {
        c.model = { atMs: r.now, seconds: raw };
      } else {
        // Real speed between readings (currentTime moves in steps), pulled
        // a little towards each reading.
        const predicted = c.model.seconds + (r.now - c.model.atMs) / 1000;
        const error = raw - predicted;
        c.model = { atMs: r.now,
                    seconds: Math.abs(error) > snapS ? raw : predicted + error * slewShare };
      }
      const t = Math.max(c.last, c.model.seconds);
      c.last = t;
      return t;
    }

    // The sound goes on after a time without readings (a pause, a seek: the
    // context ran on with no source, and may have fallen behind the page's
    // clock meanwhile). The next reading is taken as it is, as the first one
    // was, and a check of the timestamp starts afresh from it; what the
    // checks found so far stays.
    function restart() {
      c.model = null;
      c.check = null;
      c.previous = null;
    }

    return { read, restart, state: () => ({ source: c.source, reason: c.reason }) };
  }

  // The readings of a live context.
  function readContext(ctx) {
    const has = typeof ctx.getOutputTimestamp === 'function';
    return {
      now: performance.now(),
      running: ctx.state === 'running',
      currentTime: ctx.currentTime,
      latency: ctx.outputLatency || ctx.baseLatency || 0,
      hasTimestamp: has,
      ts: has ? ctx.getOutputTimestamp() : null,
    };
  }

  root.DemoAudioClock = { createAudioClock, readContext };
  if (typeof module === 'object' && module.exports) module.exports = root.DemoAudioClock;
})(typeof window === 'object' ? window : globalThis);
