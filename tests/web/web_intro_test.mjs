// Plays the intro's web page in a browser as a person would: served by a plain static server that sends no
// headers (Python's http.server), the page isolates itself through its service worker (one reload); then the
// NFO verdict, space into the intro with its music from the intro's first frame, the picture moving, the
// music playing without gaps, a hidden page stopping both, Escape out, the message when zarn.dat is
// missing, and what the page says inside another site's frame. With --with-headers it also plays from a
// server that sends the headers. Firefox gets a sound output of its own: a PulseAudio server with a null
// sink, started here. Keeps screenshots in OUT_DIR and ends with "N passed, N failed".
//   node web_intro_test.mjs PAGE_DIR OUT_DIR chromium|firefox EXECUTABLE [--with-headers] [--python PYTHON]
// ZARN_WEB_SOUND_SECONDS sets how long the sound is measured: 6 s unless set, since the browser renders
// sound in bursts, which a short measure takes for a wrong rate.
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { homedir, tmpdir } from 'node:os';
import { join } from 'node:path';
import { serveFolder } from '../../scripts/web-server.mjs';

// The driver lives outside the source tree, where scripts/install-web-test-deps.sh installs it.
const driverDir = process.env.ZARN_WEB_TEST_DRIVER ||
    join(process.env.XDG_CACHE_HOME || join(homedir(), '.cache'), 'zarn', 'web-test-driver');
const puppeteer = createRequire(join(driverDir, 'package.json'))('puppeteer-core');

const [pageDir, outDir, browserName, executable, ...options] = process.argv.slice(2);
if (!pageDir || !outDir || !['chromium', 'firefox'].includes(browserName) || !executable) {
  console.error('usage: node web_intro_test.mjs PAGE_DIR OUT_DIR chromium|firefox EXECUTABLE [--with-headers] ' +
                '[--python PYTHON]');
  process.exit(2);
}
const alsoWithHeaders = options.includes('--with-headers');
const python = options.includes('--python') ? options[options.indexOf('--python') + 1] : 'python3';
// The sound the worklet plays from the intro's first frame on the page to the music's first sound, counted
// in sound frames (page time would count the browser's lags too). The music's first block can be written
// only once the worklet has played on past a block, and the browser renders sound in bursts (Firefox through
// the test's sound server about 80 ms at a time), so the music may come a burst after the frame: within
// 200 ms, where the buffer's 400 ms loop of zeros went first before.
const musicStartMs = 200;
const soundSeconds = Number(process.env.ZARN_WEB_SOUND_SECONDS || 6);

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
let passed = 0;
let failed = 0;
function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} [${browserName}] ${what}${detail ? ': ' + detail : ''}`);
  if (ok) passed += 1;
  else failed += 1;
  return ok;
}

// In the page, where the pixels are (reading them through the driver is slow in Firefox): figures of the
// canvas's own pixels, the frame exactly as drawn. The lit share of the verdict's first two lines (rows 200
// to 234), the number of colours, and the share of pixels changed since the frame kept last; `keep` keeps
// this frame for the next call.
function canvasFigures(keep) {
  const pixels = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 480).data;
  const kept = window.zarnKeptFrame;
  const colours = new Set();
  let verdictLit = 0;
  let changed = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    colours.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
    if (i >= 200 * 2560 && i < 235 * 2560 && pixels[i] + pixels[i + 1] + pixels[i + 2] > 96) verdictLit += 1;
    if (kept && (kept[i] !== pixels[i] || kept[i + 1] !== pixels[i + 1] || kept[i + 2] !== pixels[i + 2])) changed += 1;
  }
  if (keep) window.zarnKeptFrame = pixels;
  return { verdictLit: verdictLit / (35 * 640), colours: colours.size, changed: changed / (640 * 480) };
}
const introColours = 2000;  // the NFO screen has far fewer

// Calls `probe` until `accept` takes its value or `ms` have passed; the last value.
async function waitFor(probe, accept, ms) {
  const end = Date.now() + ms;
  let value = await probe();
  while (!accept(value) && Date.now() < end) {
    await sleep(100);
    value = await probe();
  }
  return value;
}

// What the page and the program have counted so far: frames shown, the frame thread's time, the sound.
function pageCounts(page) {
  return page.evaluate(() => ({
    at: performance.now(),
    shown: Module.zarnPage.framesShown,
    displayFrames: Module.zarnPage.displayFrames,
    pageDrawing: Module.zarnPage.drawingMs,
    drawing: Module._zarn_web_frame_timing(0),
    converting: Module._zarn_web_frame_timing(1),
    waiting: Module._zarn_web_frame_timing(2),
    presented: Module._zarn_web_frame_timing(3),
    soundFrames: Module.zarnPage.soundBytesPlayed() / 4,
    missedFrames: Module.zarnPage.soundFramesMissed(),
    level: Module.zarnPage.soundLevel(),
    audio: Module.zarnPage.audio ? Module.zarnPage.audio.context.state : 'none',
    soundRunningAt: Module.zarnPage.audio ? Module.zarnPage.audio.runningAt : 0,
    firstSoundAt: Module.zarnPage.audio ? Module.zarnPage.audio.firstSoundAt : 0,
    firstSound: Module.zarnPage.audio ? Module.zarnPage.audio.firstSound : null,
    introFrameAt: window.zarnIntroFrameAt || 0,
    introFrameSound: window.zarnIntroFrameSound || 0,
    visibility: document.visibilityState,
  }));
}

// Frames shown and where the frame thread's time went, over the next `frames` frames the page shows.
async function measureFrames(page, frames) {
  const a = await pageCounts(page);
  const b = await waitFor(() => pageCounts(page), (now) => now.shown - a.shown >= frames, 20000);
  const presented = b.presented - a.presented || 1;
  const shown = b.shown - a.shown || 1;
  return {
    fps: ((b.shown - a.shown) * 1000) / (b.at - a.at),
    displayFps: ((b.displayFrames - a.displayFrames) * 1000) / (b.at - a.at),
    drawingMs: (b.drawing - a.drawing) / presented,
    convertingMs: (b.converting - a.converting) / presented,
    waitingMs: (b.waiting - a.waiting) / presented,
    pageDrawingMs: (b.pageDrawing - a.pageDrawing) / shown,
  };
}

// The slope of a least-squares line through the points [x, y]: a rate that bursts at both ends of the
// span do not tilt as they tilt the line through its two ends.
function slope(points) {
  const meanX = points.reduce((sum, [x]) => sum + x, 0) / points.length;
  const meanY = points.reduce((sum, [, y]) => sum + y, 0) / points.length;
  let xy = 0;
  let xx = 0;
  for (const [x, y] of points) {
    xy += (x - meanX) * (y - meanY);
    xx += (x - meanX) * (x - meanX);
  }
  return xx > 0 ? xy / xx : 0;
}

// The sound over the next `seconds` of it played: its rate, the loudest level heard, the frames missed. The
// browser renders sound in bursts (Firefox through PulseAudio in bursts of a tenth of a second and more), so
// the rate is the slope through every look at the count, not the count's move between the first and last.
async function measureSound(page, seconds) {
  const a = await pageCounts(page);
  let level = 0;
  const points = [];
  const b = await waitFor(() => pageCounts(page), (now) => {
    level = Math.max(level, now.level);
    points.push([now.at / 1000, now.soundFrames]);
    return now.soundFrames - a.soundFrames >= seconds * 44100;
  }, seconds * 3000 + 10000);
  return {
    rate: slope(points),
    endsRate: ((b.soundFrames - a.soundFrames) * 1000) / (b.at - a.at),
    level,
    missedFrames: b.missedFrames - a.missedFrames,
  };
}

// The page hidden behind another tab: the picture, the sound and the program's clock stop together, and
// go on together once it is shown again.
async function hideAndShow(browser, page) {
  const other = await browser.newPage();
  await other.bringToFront();
  const hidden = await waitFor(() => pageCounts(page), (now) => now.visibility === 'hidden', 5000);
  if (!check('behind another tab the page is hidden', hidden.visibility === 'hidden', hidden.visibility)) {
    await other.close();
    return;
  }
  // Frames and sound stop within a render quantum or a frame of the change; the watch starts after that.
  const still = await waitFor(() => pageCounts(page), (now) => now.audio === 'suspended', 5000);
  const moved = await waitFor(() => pageCounts(page),
                              (now) => now.shown !== still.shown || now.soundFrames !== still.soundFrames, 1000);
  check('hidden, neither the picture nor the sound goes on', still.audio === 'suspended' &&
        moved.shown === still.shown && moved.soundFrames === still.soundFrames,
        `sound ${still.audio}, ${moved.shown - still.shown} frames and ${moved.soundFrames - still.soundFrames} ` +
        'sound frames while hidden');
  await other.close();
  await page.bringToFront();
  const again = await waitFor(() => pageCounts(page),
                              (now) => now.shown > moved.shown + 10 && now.soundFrames > moved.soundFrames + 4410,
                              10000);
  check('shown again, picture and sound go on together', again.shown > moved.shown + 10 &&
        again.soundFrames > moved.soundFrames + 4410,
        `${again.shown - moved.shown} frames, ${again.soundFrames - moved.soundFrames} sound frames`);
}

// Loads the page and waits until the program has opened its picture; `isolatedBy` says who made the page
// cross-origin isolated: "server" (the headers came with it) or "service worker" (after its one reload).
async function openIntro(page, url, isolatedBy) {
  await page.goto(url);
  const opened = await waitFor(() => page.evaluate(() => typeof Module === 'object' && Module.zarnPage.windowOpen)
                                   .catch(() => false), (open) => open, 30000);
  if (!check(`the page opens the picture (${isolatedBy})`, opened)) return false;
  const isolation = await page.evaluate(() => ({
    isolated: crossOriginIsolated,
    byWorker: !!(navigator.serviceWorker && navigator.serviceWorker.controller),
  }));
  check(`the page is cross-origin isolated by the ${isolatedBy}`, isolation.isolated &&
        isolation.byWorker === (isolatedBy === 'service worker'), JSON.stringify(isolation));
  return true;
}

// In the page, before it loads, watching the frames as they are drawn, whenever the test gets to look: the
// verdict rows' lit share of the first frame with anything lit, and, once the test has pressed space
// (zarnSpacePressed), when the intro's first frame was drawn (page time).
function watchFrames(introColours) {
  const lit = (data, from, to) => {
    let count = 0;
    for (let i = from * 2560; i < to * 2560; i += 4) if (data[i] + data[i + 1] + data[i + 2] > 96) count += 1;
    return count / ((to - from) * 640);
  };
  const colourCount = (data) => {
    const colours = new Set();
    for (let i = 0; i < data.length; i += 4) colours.add((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]);
    return colours.size;
  };
  const putImageData = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...where) {
    if (!window.zarnFirstLitFrame && image.width === 640 && lit(image.data, 0, 480) > 0.01) {
      window.zarnFirstLitFrame = { verdictRows: lit(image.data, 200, 235) };
    }
    if (window.zarnSpacePressed && !window.zarnIntroFrameAt && colourCount(image.data) > introColours) {
      window.zarnIntroFrameAt = performance.now();
      window.zarnIntroFrameSound = Module.zarnPage.soundBytesPlayed() / 4;
    }
    return putImageData.call(this, image, ...where);
  };
}

// In the page, before it loads: every sound context starts suspended, as a browser that lets sound start
// only after the visitor's first key makes it; the page must start it at the space that leaves the NFO screen.
function holdSoundUntilKey() {
  const Context = window.AudioContext;
  window.AudioContext = class extends Context {
    constructor(...options) {
      super(...options);
      this.suspend();
    }
  };
}

// `soundFrom`: "key", the sound held until the key as a visitor's browser holds it; "load", the sound let
// run from the start, as the browsers of this test do.
async function playIntro(browser, page, url, isolatedBy, log, soundFrom) {
  const shot = (name) => page.screenshot({ path: join(outDir, `${isolatedBy.replace(' ', '-')}-${name}`) });
  await page.evaluateOnNewDocument(watchFrames, introColours);
  if (soundFrom === 'key') await page.evaluateOnNewDocument(holdSoundUntilKey);
  if (!await openIntro(page, url, isolatedBy)) return;
  const openedAt = Date.now();
  const firstLit = await waitFor(() => page.evaluate(() => window.zarnFirstLitFrame || null), (frame) => frame,
                                 30000);
  const firstFrameAt = Date.now();
  if (!check('the NFO screen shows', firstLit !== null,
             `first frame after ${((firstFrameAt - openedAt) / 1000).toFixed(2)} s`)) return;
  await shot('nfo-checking.png');
  check('no verdict shows at once', firstLit.verdictRows < 0.01,
        `lit share of the verdict rows ${firstLit.verdictRows.toFixed(3)}`);

  // The picture at whole multiples of its size while they fit, else fitted, always 4:3.
  for (const [width, height, shown] of [[1024, 768, '640x480'], [1400, 1000, '1280x960'], [500, 400, '500x375']]) {
    await page.setViewport({ width, height });
    const size = await waitFor(() => page.evaluate(() => {
      const style = document.getElementById('screen').style;
      return `${parseInt(style.width)}x${parseInt(style.height)}`;
    }), (seen) => seen === shown, 2000);
    check(`a ${width}x${height} page shows the picture at ${shown}`, size === shown, size);
  }
  await page.setViewport({ width: 1024, height: 768 });

  const verdict = await waitFor(() => page.evaluate(canvasFigures, false), (seen) => seen.verdictLit > 0.01, 30000);
  check('the verdict shows', verdict.verdictLit > 0.01,
        `${((Date.now() - firstFrameAt) / 1000).toFixed(1)} s after the first frame`);
  await shot('nfo-verdict.png');

  // A quick tap: down and up within one frame, latched by the program.
  // The space bar by its character: Firefox's driver knows no key named "Space".
  const spacePressedAt = await page.evaluate(() => {
    window.zarnSpacePressed = true;
    return performance.now();
  });
  await page.keyboard.press(' ');
  const spaceAt = Date.now();
  const first = await waitFor(() => page.evaluate(canvasFigures, true), (seen) => seen.colours > introColours, 30000);
  const introAt = Date.now();
  const atIntro = await pageCounts(page);
  await shot('intro-1.png');
  const second = await waitFor(() => page.evaluate(canvasFigures, false), (seen) => seen.changed > 0.02, 10000);
  await shot('intro-2.png');
  check('space starts the intro', first.colours > introColours,
        `${first.colours} colours, ${((introAt - spaceAt) / 1000).toFixed(2)} s after space`);
  check('the picture moves', second.changed > 0.02,
        `${(second.changed * 100).toFixed(1)}% of the pixels changed within ` +
        `${((Date.now() - introAt) / 1000).toFixed(2)} s`);

  // The music from the intro's first frame: the buffer's zeros and the silence written before it are not
  // played first.
  const music = await waitFor(() => pageCounts(page), (now) => now.firstSoundAt > 0 && now.introFrameAt > 0, 5000);
  // Where the count was when the intro's frame was drawn: before the jump to the first sound, the silence
  // played until it; after it (the music began while the frame was being drawn), the sound already played.
  const jump = music.firstSound || { from: 0, to: 0 };
  const musicFrames = music.introFrameSound <= jump.from ? jump.from - music.introFrameSound
                                                         : jump.to - music.introFrameSound;
  const musicDelay = (musicFrames * 1000) / 44100;
  if (soundFrom === 'key') {
    check('the sound starts with space', music.soundRunningAt >= spacePressedAt,
          `${(music.soundRunningAt - spacePressedAt).toFixed(0)} ms after it`);
  }
  check(`the music starts within ${musicStartMs} ms of the intro's first frame`,
        music.firstSoundAt > 0 && music.introFrameAt > 0 && musicDelay < musicStartMs,
        `first sound ${musicDelay.toFixed(0)} ms of sound after the first intro frame was drawn ` +
        `(${(music.firstSoundAt - music.introFrameAt).toFixed(0)} ms of page time), the sound running ` +
        `${(music.soundRunningAt - music.introFrameAt).toFixed(0)} ms after it`);

  const frames = await measureFrames(page, 120);
  console.log(`[${browserName}] frames: ${frames.fps.toFixed(1)} per second shown; per frame ` +
              `${frames.drawingMs.toFixed(2)} ms drawing, ${frames.convertingMs.toFixed(2)} ms converting, ` +
              `${frames.waitingMs.toFixed(2)} ms waiting for the page, ${frames.pageDrawingMs.toFixed(2)} ms on ` +
              "the page's canvas");
  // The display's rate is the browser's own animation frames over the same span: a loaded machine slows
  // both, and the program must keep up with what the browser gives it, not with a fixed 60.
  check('the page shows frames at the display rate', frames.fps >= 0.9 * frames.displayFps,
        `${frames.fps.toFixed(1)} per second, the display ${frames.displayFps.toFixed(1)}`);

  // The first second of sound may still be catching up with a page that was busy starting.
  await waitFor(() => pageCounts(page), (now) => now.soundFrames >= atIntro.soundFrames + 44100, 10000);
  const sound = await measureSound(page, soundSeconds);
  console.log(`[${browserName}] sound: ${sound.rate.toFixed(0)} frames per second played over ${soundSeconds} s ` +
              `(${sound.endsRate.toFixed(0)} between its ends), ` +
              `level ${sound.level.toFixed(3)}, ${sound.missedFrames} frames missed`);
  check('the sound position moves at 44.1 kHz', Math.abs(sound.rate - 44100) < 44100 * 0.03,
        `${sound.rate.toFixed(0)} frames per second`);
  check('the sound is not silent', sound.level > 0.01, `level ${sound.level.toFixed(3)}`);
  check('no sound is missed after the first second', sound.missedFrames === 0,
        `${sound.missedFrames} frames played as silence`);

  await hideAndShow(browser, page);

  await page.keyboard.press('Escape');
  const ended = await waitFor(() => page.evaluate(() => Module.zarnPage.ended), (done) => done, 10000);
  await shot('end.png');
  const events = await page.evaluate(() => Module.zarnPage.events.join(', '));
  check('Escape ends the program', ended, `events ${events}`);
  // wave_close follows the join of the wave thread, destroy_window the join of the frame thread.
  check('the threads end in order: sound, then picture, then the program',
        events.endsWith('sound closed, window closed, exit 0'), events);
  const endLine = await page.evaluate(() => {
    const end = document.getElementById('end');
    return end.hidden ? '' : end.textContent;
  });
  check('the page says how to watch again', endLine === 'press F5 to watch again', `"${endLine}"`);
  const stuck = log.filter((line) => /did not stop|abort|error/i.test(line));
  check('no thread was left behind and nothing failed', stuck.length === 0, stuck.join(' | '));
}

// Without zarn.dat the program says so in a message on the page, waits for OK, and ends with exit status 1.
async function reportMissingScript(page, url) {
  await page.evaluateOnNewDocument(() => {
    window.Module = { onRuntimeInitialized: () => FS.unlink('/zarn.dat') };
  });
  await page.goto(url);
  const shown = await waitFor(() => page.evaluate(() => !document.getElementById('message').hidden),
                              (open) => open, 30000);
  await page.screenshot({ path: join(outDir, 'no-script-message.png') });
  const message = await page.evaluate(() => ({
    caption: document.getElementById('message-caption').textContent,
    text: document.getElementById('message-text').textContent,
    events: Module.zarnPage.events.join(', '),
  }));
  check('without zarn.dat the page shows the message',
        shown && message.caption === 'ZARN' && message.text === "Can't find data file zarn.dat",
        `"${message.caption}: ${message.text}"`);
  // That the program waits can only be watched for a while: it must not end on its own.
  const endedAlone = await waitFor(() => page.evaluate(() => Module.zarnPage.ended), (ended) => ended, 500);
  check('the program waits for OK', !endedAlone && message.events === '', `events "${message.events}"`);
  await page.click('#message-ok');
  const ended = await waitFor(() => page.evaluate(() => Module.zarnPage.events.join(', ')),
                              (events) => events.includes('exit'), 10000);
  await page.screenshot({ path: join(outDir, 'no-script-end.png') });
  check('after OK the program ends without a window, as a failure', ended === 'exit 1', `events "${ended}"`);
}

// Inside another site's page (the page at 127.0.0.1 in a frame of a page at localhost) the page cannot be
// isolated: it says so at once and links to itself, rather than loading a program that cannot start.
async function reportInsideAnotherSite(page, url) {
  const otherSite = url.replace('127.0.0.1', 'localhost');
  await page.goto(`${otherSite}portal.html`);  // any page of that site: Python's "not found" will do
  await page.setContent(`<iframe src="${url}" width="660" height="500"></iframe>`);
  const frameOf = () => page.frames().find((frame) => frame.url().startsWith(url));
  const end = await waitFor(async () => {
    const frame = frameOf();
    return frame ? frame.evaluate(() => {
      const shown = document.getElementById('end');
      const link = shown && shown.querySelector('a');
      return shown && !shown.hidden ? { text: shown.textContent, link: link ? link.href : '' } : null;
    }).catch(() => null) : null;
  }, (seen) => seen !== null, 20000);
  await page.screenshot({ path: join(outDir, 'inside-another-site.png') });
  check('inside another site\'s page the page says it cannot play there and links to itself',
        end !== null && end.text.startsWith('The intro cannot play inside another site\'s page') && end.link === url,
        JSON.stringify(end));
}

// A fresh page in the browser with its console kept in `log`.
async function openPage(browser, log) {
  const page = await browser.newPage();
  page.on('console', (message) => log.push(`${message.type()}: ${message.text()}`));
  page.on('pageerror', (error) => log.push(`pageerror: ${error.message}`));
  page.on('response', (response) => {
    if (response.status() >= 400) log.push(`error: ${response.status()} for ${response.url()}`);
  });
  return page;
}

// The servers the test starts run under timeout(1) for this long at most, so that none outlives a test that
// was killed before it could stop them.
const serverSeconds = '600';

// Calls `probe` until it gives something or `ms` have passed; that, or null.
async function pollFor(probe, ms) {
  const end = Date.now() + ms;
  for (let value = probe(); ; value = probe()) {
    if (value || Date.now() >= end) return value || null;
    await sleep(50);
  }
}

// Firefox plays sound only through a sound server, and a machine without a sound card has none: a PulseAudio
// server of the test's own, with a null sink, in a folder of its own. Resolves to { process, folder, socket }.
async function startSoundServer() {
  const folder = mkdtempSync(join(tmpdir(), 'zarn-pulse-'));
  const socket = join(folder, 'native');
  const server = spawn('timeout', [serverSeconds, 'pulseaudio',
    '-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no', '--disable-shm',
    '-L', 'module-null-sink', '-L', `module-native-protocol-unix socket=${socket} auth-anonymous=1`,
  ], { env: { ...process.env, HOME: folder, XDG_RUNTIME_DIR: folder }, stdio: 'ignore' });
  let failure = null;
  server.on('error', (error) => { failure = error; });
  await pollFor(() => failure || existsSync(socket), 10000);
  if (failure || !existsSync(socket)) throw new Error(`no PulseAudio server: ${failure || 'no socket'}`);
  return { process: server, folder, socket };
}

function stopSoundServer(sound) {
  if (!sound) return;
  sound.process.kill();
  rmSync(sound.folder, { recursive: true, force: true });
}

// Python's own static server, which sends none of the isolation headers. Resolves to { process, url }.
async function startPlainServer() {
  const server = spawn('timeout', [serverSeconds, python, '-u', '-m', 'http.server', '--bind', '127.0.0.1',
                                   '--directory', pageDir, '0'], { stdio: ['ignore', 'pipe', 'ignore'] });
  let said = '';
  let failure = null;
  server.stdout.on('data', (text) => { said += text; });
  server.on('error', (error) => { failure = error; });
  const port = await pollFor(() => failure || said.match(/ port (\d+) /)?.[1], 10000);
  if (failure || typeof port !== 'string') throw new Error(`no ${python} -m http.server: ${failure || said}`);
  return { process: server, url: `http://127.0.0.1:${port}/` };
}

// Sound may start without a key press: the test's presses come through the driver, which browsers do not
// all count as the user's.
function launchBrowser(soundServer) {
  if (browserName === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: executable,
      headless: true,
      defaultViewport: { width: 1024, height: 768 },
      // A fifth of a second of buffer in the sound server: on a loaded machine the browser's sound thread
      // comes late, and with PulseAudio's shorter default the stream runs dry and pauses, which the count
      // shows as sound played slower than 44.1 kHz.
      env: { ...process.env, PULSE_SERVER: `unix:${soundServer.socket}`, PULSE_LATENCY_MSEC: '200' },
      extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0 },
    });
  }
  return puppeteer.launch({
    executablePath: executable,
    headless: true,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
    defaultViewport: { width: 1024, height: 768 },
  });
}

async function main() {
  rmSync(outDir, { recursive: true, force: true });
  mkdirSync(outDir, { recursive: true });
  const logs = { plain: [], headers: [], noScript: [], portal: [] };
  let plainServer = null;
  let server = null;
  let soundServer = null;
  let browser = null;
  try {
    plainServer = await startPlainServer();
    if (browserName === 'firefox') soundServer = await startSoundServer();
    browser = await launchBrowser(soundServer);
    // Each page is closed after its run, so that the next one has the machine to itself.
    const plainPage = await openPage(browser, logs.plain);
    await playIntro(browser, plainPage, plainServer.url, 'service worker', logs.plain, 'key');
    await plainPage.close();
    const noScriptPage = await openPage(browser, logs.noScript);
    await reportMissingScript(noScriptPage, plainServer.url);
    await noScriptPage.close();
    const portal = await openPage(browser, logs.portal);
    await reportInsideAnotherSite(portal, plainServer.url);
    await portal.close();
    if (alsoWithHeaders) {
      server = await serveFolder(pageDir);
      const url = `http://127.0.0.1:${server.address().port}/`;
      await playIntro(browser, await openPage(browser, logs.headers), url, 'server', logs.headers, 'load');
    }
  } catch (error) {
    check('the page plays through', false, String(error));
  } finally {
    for (const [name, log] of Object.entries(logs)) writeFileSync(join(outDir, `console-${name}.txt`), log.join('\n') + '\n');
    if (browser) await browser.close();
    if (server) server.close();
    if (plainServer) plainServer.process.kill();
    stopSoundServer(soundServer);
  }
  console.log(`screenshots and the page's console in ${outDir}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

main();
