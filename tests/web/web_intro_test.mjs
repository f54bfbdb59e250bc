// Plays the intro's web page in headless Chromium as a person would: the NFO verdict, space into the
// intro, the picture moving, the music playing, Escape out. Keeps screenshots in OUT_DIR and ends with
// "N passed, N failed".
//   node web_intro_test.mjs PAGE_DIR OUT_DIR [CHROMIUM]
import { mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { homedir } from 'node:os';
import { join } from 'node:path';
import { serveFolder } from '../../scripts/web-server.mjs';

// The driver lives outside the source tree, where scripts/install-web-test-deps.sh installs it.
const driverDir = process.env.ZARN_WEB_TEST_DRIVER ||
    join(process.env.XDG_CACHE_HOME || join(homedir(), '.cache'), 'zarn', 'web-test-driver');
const puppeteer = createRequire(join(driverDir, 'package.json'))('puppeteer-core');

const [pageDir, outDir, chromium = '/usr/bin/chromium'] = process.argv.slice(2);
if (!pageDir || !outDir) {
  console.error('usage: node web_intro_test.mjs PAGE_DIR OUT_DIR [CHROMIUM]');
  process.exit(2);
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
let passed = 0;
let failed = 0;
function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ': ' + detail : ''}`);
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

// Frames drawn and where the frame thread's time went, read twice `ms` apart.
async function measureFrames(page, ms) {
  const sample = () => page.evaluate(() => ({
    at: performance.now(),
    shown: Module.zarnPage.framesShown,
    pageDrawing: Module.zarnPage.drawingMs,
    drawing: Module._zarn_web_frame_timing(0),
    converting: Module._zarn_web_frame_timing(1),
    waiting: Module._zarn_web_frame_timing(2),
    presented: Module._zarn_web_frame_timing(3),
  }));
  const a = await sample();
  await sleep(ms);
  const b = await sample();
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

// Bytes the sound worklet has played, and the loudest level heard, over `ms`.
async function measureSound(page, ms) {
  const sample = () => page.evaluate(() => ({ at: performance.now(), played: Module.zarnPage.soundBytesPlayed() }));
  const a = await sample();
  let level = 0;
  for (let waited = 0; waited < ms; waited += 100) {
    await sleep(100);
    level = Math.max(level, await page.evaluate(() => Module.zarnPage.soundLevel()));
  }
  const b = await sample();
  return { rate: ((b.played - a.played) / 4) * 1000 / (b.at - a.at), level };
}

async function playIntro(page, url, log) {
  const shot = (name) => page.screenshot({ path: join(outDir, name) });
  await page.goto(url);

  const opened = await waitFor(() => page.evaluate(() => Module.zarnPage.windowOpen), (open) => open, 15000);
  if (!check('the page opens the picture', opened)) return;
  check('the page is cross-origin isolated (shared memory)', await page.evaluate(() => crossOriginIsolated));
  // A loaded machine can hold the first frame back: the checks of the NFO screen's timing count from it.
  const openedAt = Date.now();
  const firstLit = await waitFor(async () => litShare(await page.evaluate(framePixels)), (share) => share > 0.01,
                                 30000);
  const firstFrameAt = Date.now();
  if (!check('the NFO screen shows', firstLit > 0.01,
             `first frame after ${((firstFrameAt - openedAt) / 1000).toFixed(2)} s`)) return;
  await shot('nfo-checking.png');
  const early = litShare(await page.evaluate(framePixels, 200, 35));
  check('no verdict shows at once', early < 0.01, `lit share of the verdict rows ${early.toFixed(3)}`);

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
  await page.keyboard.press('Space');
  const spaceAt = Date.now();
  const first = await waitFor(() => page.evaluate(framePixels), (pixels) => colourCount(pixels) > 2000, 30000);
  const introAt = Date.now();
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

  const frames = await measureFrames(page, 2000);
  console.log(`frames: ${frames.fps.toFixed(1)} per second shown; per frame ${frames.drawingMs.toFixed(2)} ms ` +
              `drawing, ${frames.convertingMs.toFixed(2)} ms converting, ${frames.waitingMs.toFixed(2)} ms ` +
              `waiting for the page, ${frames.pageDrawingMs.toFixed(2)} ms on the page's canvas`);
  check('the page shows frames at the display rate', frames.fps > 50, `${frames.fps.toFixed(1)} per second`);

  const sound = await measureSound(page, 2000);
  console.log(`sound: ${sound.rate.toFixed(0)} frames per second played, level ${sound.level.toFixed(3)}`);
  check('the sound position moves at 44.1 kHz', Math.abs(sound.rate - 44100) < 44100 * 0.03,
        `${sound.rate.toFixed(0)} frames per second`);
  check('the sound is not silent', sound.level > 0.01, `level ${sound.level.toFixed(3)}`);

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
                              (open) => open, 15000);
  await page.screenshot({ path: join(outDir, 'no-script-message.png') });
  const message = await page.evaluate(() => ({
    caption: document.getElementById('message-caption').textContent,
    text: document.getElementById('message-text').textContent,
    events: Module.zarnPage.events.join(', '),
  }));
  check('without zarn.dat the page shows the message',
        shown && message.caption === 'ZARN' && message.text === "Can't find data file zarn.dat",
        `"${message.caption}: ${message.text}"`);
  // That the program waits can only be watched for a while.
  await sleep(300);
  const waiting = await page.evaluate(() => !Module.zarnPage.ended);
  check('the program waits for OK', waiting && message.events === '', `events "${message.events}"`);
  await page.click('#message-ok');
  const ended = await waitFor(() => page.evaluate(() => Module.zarnPage.events.join(', ')),
                              (events) => events.includes('exit'), 10000);
  await page.screenshot({ path: join(outDir, 'no-script-end.png') });
  check('after OK the program ends without a window', ended === 'exit 0', `events "${ended}"`);
}

// Served without the headers of cross-origin isolation, the page says which headers it needs.
async function reportMissingHeaders(page, url) {
  await page.goto(url);
  const line = await waitFor(() => page.evaluate(() => {
    const end = document.getElementById('end');
    return end.hidden ? '' : end.textContent;
  }), (text) => text !== '', 10000);
  await page.screenshot({ path: join(outDir, 'no-headers.png') });
  check('served without the headers, the page names them',
        line.includes('Cross-Origin-Opener-Policy: same-origin') &&
        line.includes('Cross-Origin-Embedder-Policy: require-corp'), `"${line}"`);
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

async function main() {
  rmSync(outDir, { recursive: true, force: true });
  mkdirSync(outDir, { recursive: true });
  const server = await serveFolder(pageDir);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const plainServer = await serveFolder(pageDir, 0, { isolated: false });
  const plainUrl = `http://127.0.0.1:${plainServer.address().port}/`;
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
    defaultViewport: { width: 1024, height: 768 },
  });
  const log = [];
  const messageLog = [];
  try {
    await playIntro(await openPage(browser, log), url, log);
    await reportMissingScript(await openPage(browser, messageLog), url);
    await reportMissingHeaders(await openPage(browser, []), plainUrl);
  } catch (error) {
    check('the page plays through', false, String(error));
  } finally {
    writeFileSync(join(outDir, 'console.txt'), log.join('\n') + '\n');
    writeFileSync(join(outDir, 'no-script-console.txt'), messageLog.join('\n') + '\n');
    await browser.close();
    server.close();
    plainServer.close();
  }
  console.log(`screenshots and the page's console in ${outDir}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

main();
