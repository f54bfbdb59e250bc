// The wave device's sound card in a web page: an AudioWorklet that plays the program's looping wave
// buffer (interleaved signed 16-bit stereo) straight from its shared memory and counts the bytes played,
// and the frames it had to play as silence.
// It never waits: when it cannot have the buffer, or the program has not written far enough, it plays
// silence, and the count moves on all the same, as time does.
// The browser lets it start only at the page's first key, the space that also starts the music, so the
// silence the program has queued by then (the buffer's first loop of zeros, and blocks written before the
// music started) would only hold the music back: until it first hears sound it jumps over the zeros
// ahead of it to the first frame that sounds, so the music starts with the intro's first frame.
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
    this.soundHeard = false;
    // Frames (counted since the open) up to which the published zeros have been looked through.
    this.zerosSeenTo = 0;
  }

  // The first frame from `played` on, below `published`, that is not silent, or -1 (frames since the open).
  firstSoundingFrame(played, published) {
    for (let at = Math.max(played, this.zerosSeenTo); at < published; ++at) {
      const frame = at % this.loopFrames;
      if (this.samples[2 * frame] !== 0 || this.samples[2 * frame + 1] !== 0) return at;
    }
    this.zerosSeenTo = Math.max(published, this.zerosSeenTo);
    return -1;
  }

  // Where to play from: `played`, or, before any sound was heard, the first frame that sounds if one is
  // published already.
  startOfSound(played, published) {
    if (this.soundHeard) return played;
    const sounding = this.firstSoundingFrame(Number(played / 4n), Number(published / 4n));
    if (sounding < 0) return played;
    this.soundHeard = true;
    // Where the count was and where the sound starts (frames since the open), for the page's figures.
    const from = Number(played / 4n);
    this.port.postMessage({ firstSound: { from, to: sounding } });
    return BigInt(sounding) * 4n;
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1];
    const frames = left.length;
    const access = Atomics.compareExchange(this.access, this.accessIndex, waveOpenForReading, waveBeingRead);
    if (access === waveClosed) return false;
    if (access !== waveOpenForReading) return true;
    const published = Atomics.load(this.counts, this.publishedIndex);
    const played = this.startOfSound(Atomics.load(this.counts, this.playedIndex), published);
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
