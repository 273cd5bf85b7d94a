// The page's side of the web build: loads the module and the data files
// with a progress line, and offers the frame-hash hook to the browser test
// as window.zelvik.frameHashes(seed, fps, clocks).
'use strict';

(function () {
  const { show, fetchFile } = ZelvikLoading;

  async function start() {
    show('Loading the program…');
    const module = await ZelvikFramesModule({
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
    });
    const sheet = await fetchFile('scene1.bmp');
    if (sheet) {
      module.FS.writeFile('/scene1.bmp', sheet);
    } else {
      show('scene1.bmp could not be loaded: the show runs without pictures', true);
    }

    // Hashes of the frames at the given demo clocks of the show run from
    // its start with this seed on an fps frame schedule: an object
    // { clock: "16 hex digits" }, or an Error's message thrown.
    function frameHashes(seed, fps, clocks) {
      const path = '/scene1.bmp';
      const pathBytes = module.lengthBytesUTF8(path) + 1;
      const pathPointer = module._malloc(pathBytes);
      const clockPointer = module._malloc(4 * clocks.length);
      try {
        module.stringToUTF8(path, pathPointer, pathBytes);
        module.HEAPU32.set(clocks, clockPointer >>> 2);
        const answer = module.UTF8ToString(
          module._ZelvikFrameHashes(pathPointer, seed >>> 0, fps >>> 0, clockPointer, clocks.length));
        if (answer.startsWith('error:')) throw new Error(answer.trim());
        const hashes = {};
        for (const line of answer.trim().split('\n')) {
          const [clock, hash] = line.split(' ');
          hashes[clock] = hash;
        }
        return hashes;
      } finally {
        module._free(clockPointer);
        module._free(pathPointer);
      }
    }

    window.zelvik = { frameHashes };
    if (sheet) show('Ready');
    document.body.dataset.ready = 'yes';
  }

  start().catch((error) => {
    show(`The program could not start: ${error.message || error}`, true);
    console.error(error);
  });
})();
