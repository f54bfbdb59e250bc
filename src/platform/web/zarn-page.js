// The page's half of the web platform, on the page's own thread: draws the program's frames on the
// canvas once per display refresh, hands it the keys as Windows virtual-key codes, plays its wave buffer
// through an AudioWorklet, shows its message boxes and, when it has ended, how to watch again.
// Loaded before the program's zarn.js, which finds its settings in Module; settings the page was given
// before (a test's hooks) are kept.
var Module = Object.assign(typeof Module === 'object' ? Module : {}, (function () {
  const frameWidth = 640;
  const frameHeight = 480;

  // Windows virtual-key codes of the keys the program may read, by KeyboardEvent.code.
  const virtualKeys = {
    Space: 0x20, Escape: 0x1b, Enter: 0x0d, Backspace: 0x08, Tab: 0x09,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
  };
  for (let i = 0; i < 26; ++i) virtualKeys['Key' + String.fromCharCode(65 + i)] = 65 + i;
  for (let i = 0; i < 10; ++i) virtualKeys['Digit' + i] = 48 + i;
  // The function keys go to the program and to the browser as well: F5 still reloads the page.
  for (let i = 1; i <= 12; ++i) virtualKeys['F' + i] = 0x6f + i;

  const element = (id) => document.getElementById(id);
  const page = {
    windowOpen: false,
    ended: false,
    memory: null,
    context: null,
    image: null,
    audio: null,
    gestureSeen: false,
    // Figures for people and tests: the display's frames while the page was visible, the program's frames
    // drawn in them, and the milliseconds the page spent drawing those.
    displayFrames: 0,
    framesShown: 0,
    drawingMs: 0,
    // What the program has done to the page, in order ("window opened", "sound closed", "exit 0", ...).
    events: [],
  };

  // Whole multiples of the frame while they fit; smaller windows and full screen fit the picture with
  // its 4:3 aspect kept.
  function placeCanvas() {
    const canvas = element('screen');
    let scale = Math.min(window.innerWidth / frameWidth, window.innerHeight / frameHeight);
    if (scale >= 1 && !document.fullscreenElement) scale = Math.floor(scale);
    canvas.style.width = Math.floor(frameWidth * scale) + 'px';
    canvas.style.height = Math.floor(frameHeight * scale) + 'px';
  }

  // A hidden page draws nothing, even where the browser still runs an animation frame after hiding it
  // (Firefox): the program waits for the page with its clock stopped, and its picture stays as it was.
  function drawPendingFrame() {
    if (!page.windowOpen) return;
    const visible = document.visibilityState === 'visible';
    if (visible) page.displayFrames += 1;
    const pixels = visible ? Module._zarn_web_pending_frame() : 0;
    if (pixels) {
      const start = performance.now();
      // ImageData cannot look into shared memory: the frame is copied.
      page.image.data.set(new Uint8Array(page.memory, pixels, frameWidth * frameHeight * 4));
      page.context.putImageData(page.image, 0, 0);
      Module._zarn_web_frame_shown();
      page.drawingMs += performance.now() - start;
      page.framesShown += 1;
    }
    requestAnimationFrame(drawPendingFrame);
  }

  function startSoundAfterGesture() {
    page.gestureSeen = true;
    if (page.audio && page.audio.context.state === 'suspended') page.audio.context.resume();
  }

  // A hidden page gets no animation frames, so its picture stops; its sound is suspended with it and the
  // program's clock stopped, and all three go on together when the page is shown again.
  function followVisibility() {
    const shown = document.visibilityState === 'visible';
    if (page.windowOpen) Module._zarn_web_page_shown(shown ? 1 : 0);
    const audio = page.audio;
    if (audio && !shown) {
      audio.suspendedWhileHidden = audio.context.state === 'running';
      audio.context.suspend();
    } else if (audio && (audio.suspendedWhileHidden || page.gestureSeen)) {
      audio.context.resume();
    }
  }

  function forwardKey(event, down) {
    if (page.ended || element('message').hidden === false) return;
    const virtualKey = virtualKeys[event.code];
    if (virtualKey === undefined) return;
    if (down) startSoundAfterGesture();
    if (!event.code.startsWith('F')) event.preventDefault();
    if (page.windowOpen) Module._zarn_web_key(virtualKey, down ? 1 : 0);
  }

  function showEnd(line) {
    page.ended = true;
    page.windowOpen = false;
    element('screen').hidden = true;
    element('status').hidden = true;
    element('end').textContent = line;
    element('end').hidden = false;
  }

  function loadProgram() {
    const script = document.createElement('script');
    script.src = 'zarn.js';
    document.body.appendChild(script);
  }

  // Inside another site's page no header of this page's own can isolate it (the page around it would have
  // to be isolated as well): it offers itself on a page of its own instead.
  function showMissingHeaders() {
    if (window.top === window.self) {
      showEnd('This page needs to be served with the headers "Cross-Origin-Opener-Policy: same-origin" ' +
              'and "Cross-Origin-Embedder-Policy: require-corp".');
      return;
    }
    showEnd('The intro cannot play inside another site\'s page: ');
    const link = document.createElement('a');
    link.href = window.location.href;
    link.target = '_blank';
    link.rel = 'noopener';
    link.textContent = 'watch it on a page of its own';
    link.style.color = 'inherit';
    element('end').appendChild(link);
  }

  // The program's threads share memory, which the browser gives only to a cross-origin isolated page. A
  // server that sends the two headers makes it so at once. Elsewhere the page's service worker
  // (zarn-isolation.js) adds them to every file of the page, once it is in charge: on the first visit that
  // costs one reload. A page the worker serves and that is still not isolated (inside another site's
  // frame, or a browser that does not take the worker's headers) cannot start the program: it says which
  // headers it lacks, and is not reloaded again.
  function startProgram() {
    if (window.crossOriginIsolated) {
      loadProgram();
      return;
    }
    if (!window.isSecureContext || !('serviceWorker' in navigator) || navigator.serviceWorker.controller) {
      showMissingHeaders();
      return;
    }
    navigator.serviceWorker.register('zarn-isolation.js')
        .then(() => navigator.serviceWorker.ready)
        .then(() => window.location.reload())
        .catch(function (error) {
          console.error('zarn: no service worker: ' + error);
          showMissingHeaders();
        });
  }

  // Called by the program (web_platform.cpp, web_wave_device.cpp) through its main thread.
  page.openWindow = function (title, memory) {
    const canvas = element('screen');
    if (!canvas) return 0;
    document.title = title;
    page.memory = memory;
    page.context = canvas.getContext('2d');
    page.image = page.context.createImageData(frameWidth, frameHeight);
    element('status').hidden = true;
    canvas.hidden = false;
    placeCanvas();
    page.windowOpen = true;
    page.events.push('window opened');
    requestAnimationFrame(drawPendingFrame);
    return 1;
  };

  page.closeWindow = function () {
    page.windowOpen = false;
    page.events.push('window closed');
  };

  page.showMessage = function (text, caption) {
    element('message-caption').textContent = caption;
    element('message-text').textContent = text;
    element('message').hidden = false;
    element('message-ok').focus();
    return 1;
  };

  page.openSound = function (wave) {
    if (typeof AudioWorkletNode === 'undefined' || !window.crossOriginIsolated) return 0;
    page.closeSound();
    const context = new AudioContext({ sampleRate: wave.rate, latencyHint: 'interactive' });
    // For tests: when the sound first ran and first sounded (page time, ms), and where the worklet's count
    // jumped to the first sound ({ from, to }, frames since the open).
    const audio = {
      context: context, analyser: null, wave: wave, suspendedWhileHidden: false,
      runningAt: 0, firstSoundAt: 0, firstSound: null,
    };
    context.addEventListener('statechange', function () {
      if (context.state === 'running' && !audio.runningAt) audio.runningAt = performance.now();
    });
    page.audio = audio;
    page.events.push('sound opened');
    context.audioWorklet.addModule('zarn-audio.js').then(function () {
      if (page.audio !== audio) return;
      const node = new AudioWorkletNode(context, 'zarn-wave', {
        numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2], processorOptions: wave,
      });
      node.port.onmessage = function (event) {
        if (!event.data.firstSound) return;
        audio.firstSoundAt = performance.now();
        audio.firstSound = event.data.firstSound;
      };
      audio.analyser = context.createAnalyser();
      audio.analyser.fftSize = 2048;
      node.connect(audio.analyser);
      audio.analyser.connect(context.destination);
      if (page.gestureSeen && document.visibilityState === 'visible') context.resume();
    }).catch(function (error) {
      console.error('zarn: no sound: ' + error);
    });
    return 1;
  };

  page.closeSound = function () {
    if (!page.audio) return;
    page.audio.context.close();
    page.audio = null;
    page.events.push('sound closed');
  };

  // Bytes the worklet has played since the sound opened (0 without sound).
  page.soundBytesPlayed = function () {
    if (!page.audio) return 0;
    const counts = new BigUint64Array(page.audio.wave.memory);
    return Number(Atomics.load(counts, page.audio.wave.played / 8));
  };

  // Frames the worklet has played as silence because the program had not written them yet (0 without sound).
  page.soundFramesMissed = function () {
    if (!page.audio) return 0;
    const counts = new BigUint64Array(page.audio.wave.memory);
    return Number(Atomics.load(counts, page.audio.wave.silent / 8));
  };

  // Root mean square of the last 2048 samples heard (0 when silent or without sound).
  page.soundLevel = function () {
    if (!page.audio || !page.audio.analyser) return 0;
    const samples = new Float32Array(page.audio.analyser.fftSize);
    page.audio.analyser.getFloatTimeDomainData(samples);
    let sum = 0;
    for (const sample of samples) sum += sample * sample;
    return Math.sqrt(sum / samples.length);
  };

  window.addEventListener('keydown', (event) => forwardKey(event, true));
  window.addEventListener('keyup', (event) => forwardKey(event, false));
  window.addEventListener('resize', placeCanvas);
  document.addEventListener('visibilitychange', followVisibility);
  document.addEventListener('dblclick', function () {
    startSoundAfterGesture();
    if (!document.fullscreenElement) document.documentElement.requestFullscreen().catch(() => {});
  });
  document.addEventListener('DOMContentLoaded', function () {
    element('message-ok').addEventListener('click', function () {
      element('message').hidden = true;
      Module._zarn_web_message_closed();
    });
    startProgram();
  });

  return {
    zarnPage: page,
    onExit: function (code) {
      page.events.push('exit ' + code);
      showEnd('press F5 to watch again');
    },
    onAbort: function (what) {
      page.events.push('abort');
      showEnd('the intro stopped (' + what + '): press F5 to watch again');
    },
  };
})());
