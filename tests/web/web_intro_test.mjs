// Plays the intro's web page in a browser as a person would: served without the headers of cross-origin
// isolation, the page isolates itself through its service worker (one reload); then the NFO verdict, space
// into the intro, the picture moving, the music playing without gaps, a hidden page stopping both, Escape
// out, and the message when zarn.dat is missing. With --with-headers it also plays from a server that sends
// the headers. Keeps screenshots in OUT_DIR and ends with "N passed, N failed".
//   node web_intro_test.mjs PAGE_DIR OUT_DIR chromium|firefox EXECUTABLE [--with-headers]
// ZARN_WEB_SOUND_SECONDS sets how long the sound is measured: 6 s unless set, since the browser renders
// sound in bursts, which a short measure takes for a wrong rate.
import { mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { homedir } from 'node:os';
import { join } from 'node:path';
import { serveFolder } from '../../scripts/web-server.mjs';

// The driver lives outside the source tree, where scripts/install-web-test-deps.sh installs it.
const driverDir = process.env.ZARN_WEB_TEST_DRIVER ||
    join(process.env.XDG_CACHE_HOME || join(homedir(), '.cache'), 'zarn', 'web-test-driver');
const puppeteer = createRequire(join(driverDir, 'package.json'))('puppeteer-core');

const [pageDir, outDir, browserName, executable, ...options] = process.argv.slice(2);
if (!pageDir || !outDir || !['chromium', 'firefox'].includes(browserName) || !executable) {
  console.error('usage: node web_intro_test.mjs PAGE_DIR OUT_DIR chromium|firefox EXECUTABLE [--with-headers]');
  process.exit(2);
}
const alsoWithHeaders = options.includes('--with-headers');
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

// In the page: the canvas's own pixels (the frame exactly as drawn) of a band of rows, as RGBA bytes.
function framePixels(top = 0, rows = 480) {
  const canvas = document.getElementById('screen');
  const pixels = canvas.getContext('2d').getImageData(0, top, 640, rows).data;
  return Array.from(pixels);
}
const litShare = (rgba) => {
  let lit = 0;
  for (let i = 0; i < rgba.length; i += 4) if (rgba[i] + rgba[i + 1] + rgba[i + 2] > 96) lit += 1;
  return lit / (rgba.length / 4);
};
const colourCount = (rgba) => {
  const colours = new Set();
  for (let i = 0; i < rgba.length; i += 4) colours.add((rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2]);
  return colours.size;
};
const changedShare = (a, b) => {
  let changed = 0;
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) changed += 1;
  }
  return changed / (a.length / 4);
};

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
    pageDrawing: Module.zarnPage.drawingMs,
    drawing: Module._zarn_web_frame_timing(0),
    converting: Module._zarn_web_frame_timing(1),
    waiting: Module._zarn_web_frame_timing(2),
    presented: Module._zarn_web_frame_timing(3),
    soundFrames: Module.zarnPage.soundBytesPlayed() / 4,
    missedFrames: Module.zarnPage.soundFramesMissed(),
    level: Module.zarnPage.soundLevel(),
    audio: Module.zarnPage.audio ? Module.zarnPage.audio.context.state : 'none',
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
    drawingMs: (b.drawing - a.drawing) / presented,
    convertingMs: (b.converting - a.converting) / presented,
    waitingMs: (b.waiting - a.waiting) / presented,
    pageDrawingMs: (b.pageDrawing - a.pageDrawing) / shown,
  };
}

// The sound over the next `seconds` of it played: its rate, the loudest level heard, the frames missed.
async function measureSound(page, seconds) {
  const a = await pageCounts(page);
  let level = 0;
  const b = await waitFor(() => pageCounts(page), (now) => {
    level = Math.max(level, now.level);
    return now.soundFrames - a.soundFrames >= seconds * 44100;
  }, seconds * 3000 + 10000);
  return {
    rate: ((b.soundFrames - a.soundFrames) * 1000) / (b.at - a.at),
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

// In the page, before it loads: keeps the verdict rows' lit share of the first frame drawn with anything lit,
// as it was drawn, whenever the test gets to look.
function keepFirstLitFrame() {
  const lit = (data, from, to) => {
    let count = 0;
    for (let i = from * 2560; i < to * 2560; i += 4) if (data[i] + data[i + 1] + data[i + 2] > 96) count += 1;
    return count / ((to - from) * 640);
  };
  const putImageData = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...where) {
    if (!window.zarnFirstLitFrame && image.width === 640 && lit(image.data, 0, 480) > 0.01) {
      window.zarnFirstLitFrame = { verdictRows: lit(image.data, 200, 235) };
    }
    return putImageData.call(this, image, ...where);
  };
}

async function playIntro(browser, page, url, isolatedBy, log) {
  const shot = (name) => page.screenshot({ path: join(outDir, `${isolatedBy.replace(' ', '-')}-${name}`) });
  await page.evaluateOnNewDocument(keepFirstLitFrame);
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

  // The verdict's first two lines lie on rows 200 to 234 of the frame.
  const verdict = await waitFor(async () => litShare(await page.evaluate(framePixels, 200, 35)),
                                (share) => share > 0.01, 30000);
  check('the verdict shows', verdict > 0.01,
        `${((Date.now() - firstFrameAt) / 1000).toFixed(1)} s after the first frame`);
  await shot('nfo-verdict.png');

  // A quick tap: down and up within one frame, latched by the program.
  // The space bar by its character: Firefox's driver knows no key named "Space".
  await page.keyboard.press(' ');
  const spaceAt = Date.now();
  const first = await waitFor(() => page.evaluate(framePixels), (pixels) => colourCount(pixels) > 2000, 30000);
  const introAt = Date.now();
  const atIntro = await pageCounts(page);
  await shot('intro-1.png');
  const second = await waitFor(() => page.evaluate(framePixels), (pixels) => changedShare(first, pixels) > 0.02,
                               10000);
  await shot('intro-2.png');
  const colours = colourCount(first);
  const changed = changedShare(first, second);
  check('space starts the intro', colours > 2000,
        `${colours} colours, ${((introAt - spaceAt) / 1000).toFixed(2)} s after space`);
  check('the picture moves', changed > 0.02,
        `${(changed * 100).toFixed(1)}% of the pixels changed within ${((Date.now() - introAt) / 1000).toFixed(2)} s`);

  const frames = await measureFrames(page, 120);
  console.log(`[${browserName}] frames: ${frames.fps.toFixed(1)} per second shown; per frame ` +
              `${frames.drawingMs.toFixed(2)} ms drawing, ${frames.convertingMs.toFixed(2)} ms converting, ` +
              `${frames.waitingMs.toFixed(2)} ms waiting for the page, ${frames.pageDrawingMs.toFixed(2)} ms on ` +
              "the page's canvas");
  check('the page shows frames at the display rate', frames.fps > 50, `${frames.fps.toFixed(1)} per second`);

  // The first second of sound may still be catching up with a page that was busy starting.
  await waitFor(() => pageCounts(page), (now) => now.soundFrames >= atIntro.soundFrames + 44100, 10000);
  const sound = await measureSound(page, soundSeconds);
  console.log(`[${browserName}] sound: ${sound.rate.toFixed(0)} frames per second played over ${soundSeconds} s, ` +
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

// Without zarn.dat the program says so in a message on the page, waits for OK, and ends.
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
  check('after OK the program ends without a window', ended === 'exit 0', `events "${ended}"`);
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

// Sound may start without a key press: the test's presses come through the driver, which browsers do not
// all count as the user's.
function launchBrowser() {
  if (browserName === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: executable,
      headless: true,
      defaultViewport: { width: 1024, height: 768 },
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
  const plainServer = await serveFolder(pageDir, 0, { isolated: false });
  const plainUrl = `http://127.0.0.1:${plainServer.address().port}/`;
  const server = await serveFolder(pageDir);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await launchBrowser();
  const logs = { plain: [], headers: [], noScript: [] };
  try {
    // Each page is closed after its run, so that the next one has the machine to itself.
    const plainPage = await openPage(browser, logs.plain);
    await playIntro(browser, plainPage, plainUrl, 'service worker', logs.plain);
    await plainPage.close();
    const noScriptPage = await openPage(browser, logs.noScript);
    await reportMissingScript(noScriptPage, plainUrl);
    await noScriptPage.close();
    if (alsoWithHeaders) await playIntro(browser, await openPage(browser, logs.headers), url, 'server', logs.headers);
  } catch (error) {
    check('the page plays through', false, String(error));
  } finally {
    for (const [name, log] of Object.entries(logs)) writeFileSync(join(outDir, `console-${name}.txt`), log.join('\n') + '\n');
    await browser.close();
    server.close();
    plainServer.close();
  }
  console.log(`screenshots and the page's console in ${outDir}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

main();
