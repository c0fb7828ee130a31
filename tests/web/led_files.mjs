// LED files built from the format, and what the controller must hold after a download of them,
// built from the files alone (as tests/support/expected_image.h does for the desktop tests).

// A file of `frames` frames of `dots` dots, each frame at a 512-byte sector; the header gives the
// pixel bytes of a frame (little-endian) and the sectors a frame takes less one at byte 16.
export function makeLedFile(dots, frames, seed) {
  const stride = 512 * Math.ceil((dots * 3) / 512 || 1);
  const bytes = new Uint8Array(512 + (frames - 1) * stride + Math.max(stride, dots * 3));
  bytes[0] = (dots * 3) & 0xff;
  bytes[1] = ((dots * 3) >> 8) & 0xff;
  bytes[16] = stride / 512 - 1;
  for (let f = 0; f < frames; ++f)
    for (let d = 0; d < dots * 3; ++d) bytes[512 + f * stride + d] = (seed + f * 31 + d * 7) & 0xff;
  return bytes;
}

// The stored byte k of a dot takes file byte storedFrom[order][k]: RGB, RBG, GRB, GBR, BRG, BGR.
const storedFrom = [[0, 1, 2], [0, 2, 1], [1, 0, 2], [1, 2, 0], [2, 0, 1], [2, 1, 0]];

// shows: [{file, dots, frames}] as confirmed in the dialog; the 38-byte header's 16-bit fields big-endian.
export function expectedImage(shows, order, frameTimeCode) {
  const header = new Uint8Array(38), pixels = [];
  const put16 = (at, value) => { header[at] = (value >> 8) & 0xff; header[at + 1] = value & 0xff; };
  header[2] = shows.length;
  header[3] = frameTimeCode;
  shows.forEach((show, s) => {
    put16(4 + 6 * s, show.dots * 3);
    put16(6 + 6 * s, show.frames);
    put16(8 + 6 * s, 38 + pixels.length);
    const stride = (show.file[16] + 1) * 512;
    for (let f = 0; f < show.frames; ++f)
      for (let d = 0; d < show.dots; ++d)
        for (const k of storedFrom[order]) pixels.push(show.file[512 + f * stride + d * 3 + k]);
  });
  put16(0, pixels.length);
  return Buffer.concat([header, Uint8Array.from(pixels)]);
}
