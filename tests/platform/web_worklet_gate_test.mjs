// The web page's sound worklet (zarn-audio.js) without a browser: it plays only the bytes the wave thread
// has published and silence beyond them, takes them from the play position's place in the loop, and
// moves its count on by the whole render quantum either way, as the SDL device does
// (platform/wave_gate.h). The wave thread's recovery after a stall rests on exactly that.
//   node web_worklet_gate_test.mjs PATH/TO/zarn-audio.js
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const quantum = 128;  // frames per call of process(), as browsers render
const loopFrames = 1000;
const waveOpenForReading = 1;
const waveClosed = 0;

// The worklet's class, loaded as the browser loads the module: with the two names a worklet scope has.
function loadProcessor(path) {
  let registered = null;
  const scope = {
    AudioWorkletProcessor: class {},
    registerProcessor: (name, processor) => { registered = { name, processor }; },
  };
  vm.runInNewContext(readFileSync(path, 'utf8'), scope, { filename: path });
  assert.equal(registered?.name, 'zarn-wave');
  return registered.processor;
}

// The program's memory as the worklet sees it: the loop of 16-bit stereo frames, the three counts and the
// access word, at the offsets web_wave.cpp hands over.
function makeWave() {
  const memory = new SharedArrayBuffer(64 + loopFrames * 4);
  const wave = {
    memory, rate: 44100, played: 0, published: 8, silent: 16, access: 24, buffer: 64, bytes: loopFrames * 4,
  };
  const samples = new Int16Array(memory, wave.buffer, loopFrames * 2);
  for (let i = 0; i < samples.length; ++i) samples[i] = ((i * 37) % 2001) - 1000 || 1;  // never 0: sound shows
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

console.log(`${cases.length + 1} cases passed`);
