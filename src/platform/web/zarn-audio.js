// The wave device's sound card in a web page: an AudioWorklet that plays the program's looping wave
// buffer (interleaved signed 16-bit stereo) straight from its shared memory and counts the bytes played,
// and the frames it had to play as silence.
// It never waits: when it cannot have the buffer, or the program has not written far enough, it plays
// silence, and the count moves on all the same, as time does.
const waveClosed = 0;
const waveOpenForReading = 1;
const waveBeingRead = 2;

class ZarnWaveProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const wave = options.processorOptions;
    this.samples = new Int16Array(wave.memory, wave.buffer, wave.bytes / 2);
    this.loopFrames = wave.bytes / 4;
    this.counts = new BigUint64Array(wave.memory);
    this.playedIndex = wave.played / 8;
    this.publishedIndex = wave.published / 8;
    this.silentIndex = wave.silent / 8;
    this.access = new Int32Array(wave.memory);
    this.accessIndex = wave.access / 4;
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1];
    const frames = left.length;
    const access = Atomics.compareExchange(this.access, this.accessIndex, waveOpenForReading, waveBeingRead);
    if (access === waveClosed) return false;
    if (access !== waveOpenForReading) return true;
    const played = Atomics.load(this.counts, this.playedIndex);
    const published = Atomics.load(this.counts, this.publishedIndex);
    const ready = published > played ? Math.min(frames, Number((published - played) / 4n)) : 0;
    let frame = Number((played / 4n) % BigInt(this.loopFrames));
    for (let i = 0; i < ready; ++i) {
      left[i] = this.samples[2 * frame] / 32768;
      right[i] = this.samples[2 * frame + 1] / 32768;
      if (++frame === this.loopFrames) frame = 0;
    }
    Atomics.store(this.counts, this.playedIndex, played + BigInt(frames * 4));
    // The frames played as silence because the program had not written them: an underrun, heard as a gap.
    if (ready < frames) Atomics.add(this.counts, this.silentIndex, BigInt(frames - ready));
    Atomics.store(this.access, this.accessIndex, waveOpenForReading);
    return true;
  }
}

registerProcessor('zarn-wave', ZarnWaveProcessor);
