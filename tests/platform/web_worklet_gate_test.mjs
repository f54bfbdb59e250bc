// The web page's sound worklet (zarn-audio.js) without a browser: it plays only the bytes the wave thread
// has published and silence beyond them, takes them from the play position's place in the loop, and
// moves its count on by the whole render quantum either way, as the SDL device does
// (platform/wave_gate.h). The wave thread's recovery after a stall rests on exactly that. Until it has
// played its first sound it jumps over the published zeros ahead to the first frame that sounds.
//   node web_worklet_gate_test.mjs PATH/TO/zarn-audio.js
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const quantum = 128;  // frames per call of process(), as browsers render
const loopFrames = 1000;
const waveOpenForReading = 1;
const waveClosed = 0;

// The worklet's class, loaded as the browser loads the module: with the two names a worklet scope has.
// Each processor's messages to the page land in its port's `sent`.
function loadProcessor(path) {
  let registered = null;
  const scope = {
    AudioWorkletProcessor: class {
      constructor() {
        this.port = { sent: [], postMessage(message) { this.sent.push(message); } };
      }
    },
    registerProcessor: (name, processor) => { registered = { name, processor }; },
  };
  vm.runInNewContext(readFileSync(path, 'utf8'), scope, { filename: path });
  assert.equal(registered?.name, 'zarn-wave');
  return registered.processor;
}

// The program's memory as the worklet sees it: the loop of 16-bit stereo frames, the three counts and the
// access word, at the offsets web_wave_device.cpp hands over. Frames of the loop in `silentFrames` ([from, to)) are 0.
function makeWave(silentFrames = [0, 0]) {
  const memory = new SharedArrayBuffer(64 + loopFrames * 4);
  const wave = {
    memory, rate: 44100, played: 0, published: 8, silent: 16, access: 24, buffer: 64, bytes: loopFrames * 4,
  };
  const samples = new Int16Array(memory, wave.buffer, loopFrames * 2);
  for (let i = 0; i < samples.length; ++i) samples[i] = ((i * 37) % 2001) - 1000 || 1;  // never 0: sound shows
  samples.fill(0, 2 * silentFrames[0], 2 * silentFrames[1]);
  Atomics.store(new Int32Array(memory), wave.access / 4, waveOpenForReading);
  return { wave, samples, counts: new BigUint64Array(memory), access: new Int32Array(memory) };
}

function renderQuantum(node) {
  const outputs = [[new Float32Array(quantum), new Float32Array(quantum)]];
  const keepGoing = node.process([], outputs);
  return { keepGoing, left: outputs[0][0], right: outputs[0][1] };
}

const Processor = loadProcessor(process.argv[2]);

// Played and published in frames, counted since the open across the loops; ready: frames that sound.
const cases = [
  { what: 'nothing published past the play position', played: 0, published: 0, ready: 0 },
  { what: 'the writer held up: the count ran past what is published', played: 5 * loopFrames + 300,
    published: 4 * loopFrames + 900, ready: 0 },
  { what: 'part of a quantum published', played: 2000, published: 2010, ready: 10 },
  { what: 'a whole quantum published', played: 200, published: 700, ready: quantum },
  { what: 'across the end of the loop', played: 3 * loopFrames - 50, published: 4 * loopFrames, ready: quantum },
  { what: 'after a stall: a block published just ahead of where the count got to', played: 7 * loopFrames + 613,
    published: 7 * loopFrames + 700, ready: 87 },
];

for (const c of cases) {
  const { wave, samples, counts } = makeWave();
  counts[wave.played / 8] = BigInt(c.played * 4);
  counts[wave.published / 8] = BigInt(c.published * 4);
  const node = new Processor({ processorOptions: wave });
  const { keepGoing, left, right } = renderQuantum(node);
  assert.equal(keepGoing, true, c.what);
  for (let i = 0; i < quantum; ++i) {
    const frame = (c.played + i) % loopFrames;
    const sounds = i < c.ready;
    assert.equal(left[i], sounds ? samples[2 * frame] / 32768 : 0, `${c.what}: left, frame ${i}`);
    assert.equal(right[i], sounds ? samples[2 * frame + 1] / 32768 : 0, `${c.what}: right, frame ${i}`);
  }
  assert.equal(counts[wave.played / 8], BigInt((c.played + quantum) * 4), `${c.what}: the count moves on`);
  assert.equal(counts[wave.published / 8], BigInt(c.published * 4), `${c.what}: published is the writer's`);
  assert.equal(counts[wave.silent / 8], BigInt(quantum - c.ready), `${c.what}: the silent frames are counted`);
}

// A closed wave ends the worklet without touching the count; an open one is left open for the next quantum.
{
  const { wave, counts, access } = makeWave();
  const node = new Processor({ processorOptions: wave });
  renderQuantum(node);
  assert.equal(Atomics.load(access, wave.access / 4), waveOpenForReading, 'open again after a quantum');
  Atomics.store(access, wave.access / 4, waveClosed);
  assert.equal(renderQuantum(node).keepGoing, false, 'closed: the worklet ends');
  assert.equal(counts[wave.played / 8], BigInt(quantum * 4), 'closed: the count stays');
}

// Before the first sound: the zeros ahead of the play position (the buffer's first loop, blocks written before
// the music started) are jumped over to the first published frame that sounds, once; from then on zeros are
// played where they are. Frames counted since the open; playedFrom: where the quantum is taken from.
const firstSoundCases = [
  { what: 'the first loop of zeros, then the first block of music', played: 400, published: loopFrames + 300,
    silentFrames: [300, loopFrames], playedFrom: loopFrames, ready: quantum, sounded: true },
  { what: 'the music starts within the quantum', played: 900, published: loopFrames + 300,
    silentFrames: [300, 950], playedFrom: 950, ready: quantum, sounded: true },
  { what: 'only zeros published: played where they are', played: 400, published: loopFrames,
    silentFrames: [0, loopFrames], playedFrom: 400, ready: quantum, sounded: false },
  { what: 'zeros up to the end of what is published', played: 400, published: 450,
    silentFrames: [0, loopFrames], playedFrom: 400, ready: 50, sounded: false },
];

for (const c of firstSoundCases) {
  const { wave, samples, counts } = makeWave(c.silentFrames);
  counts[wave.played / 8] = BigInt(c.played * 4);
  counts[wave.published / 8] = BigInt(c.published * 4);
  const node = new Processor({ processorOptions: wave });
  const { left } = renderQuantum(node);
  for (let i = 0; i < quantum; ++i) {
    const heard = i < c.ready ? samples[2 * ((c.playedFrom + i) % loopFrames)] / 32768 : 0;
    assert.equal(left[i], heard, `${c.what}: frame ${i}`);
  }
  assert.equal(counts[wave.played / 8], BigInt((c.playedFrom + quantum) * 4), `${c.what}: the count`);
  assert.equal(counts[wave.silent / 8], BigInt(quantum - c.ready), `${c.what}: the silent frames`);
  // As JSON: the messages are objects of the worklet's own realm.
  const told = c.sounded ? [{ firstSound: { from: c.played, to: c.playedFrom } }] : [];
  assert.equal(JSON.stringify(node.port.sent), JSON.stringify(told), `${c.what}: the page is told`);
}

// Once the music has sounded, its own silence is played where it is, never jumped over.
{
  const { wave, samples, counts } = makeWave([quantum, 2 * quantum]);
  counts[wave.published / 8] = BigInt(loopFrames * 4);
  const node = new Processor({ processorOptions: wave });
  renderQuantum(node);
  const { left } = renderQuantum(node);
  assert.ok(left.every((sample) => sample === 0), 'silence after the first sound is played');
  assert.equal(counts[wave.played / 8], BigInt(2 * quantum * 4), 'silence after the first sound: the count');
  assert.equal(JSON.stringify(node.port.sent), JSON.stringify([{ firstSound: { from: 0, to: 0 } }]),
               'the page is told once');
  assert.equal(renderQuantum(node).left[0], samples[2 * 2 * quantum] / 32768, 'then the sound after it');
}

console.log(`${cases.length + firstSoundCases.length + 2} cases passed`);
