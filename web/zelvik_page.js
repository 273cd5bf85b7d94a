// The show's page: loads the program and the dialog's font side by side
// (the program compiled while it arrives), starts the program, whose
// options dialog needs nothing more, and loads the show's data files
// while the dialog is up; a Start pressed before they are in waits for
// them with their progress on the status line. It shows the program's
// messages (anything it writes to stderr) on the page and keeps a frame
// counter. Stage and counters are offered to the browser test as
// window.zelvik.
'use strict';

(function () {
  const { note, setProgressSuffix, fetchFile, compileModule } = ZelvikLoading;
  const fpsText = document.getElementById('fps');
  const canvas = document.getElementById('canvas');
  const kStages = ['loading', 'dialog', 'show', 'ended', 'waiting'];
  // The files, where the program looks for them, and what the show does
  // without each. The font is needed for the dialog; the others (their
  // bits as the program counts them) only once Start is pressed.
  const kFont = { name: 'DejaVuSans.ttf', path: '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf',
                  without: 'the options dialog cannot be drawn' };
  const kShowData = [
    { name: 'scene1.bmp', path: '/scene1.bmp', bit: 1, without: 'the show runs without pictures' },
    { name: 'demo.xm', path: '/demo.xm', bit: 2, without: 'the show runs without music' },
  ];

  // Both fetches start as the page is read, before the program's own
  // script has run.
  const program = compileModule('zelvik.wasm');
  const font = fetchFile(kFont.name);

  function writeFile(module, file, bytes) {
    const folder = file.path.slice(0, file.path.lastIndexOf('/'));
    if (folder) module.FS.mkdirTree(folder);
    module.FS.writeFile(file.path, bytes);
  }

  // The program's script (zelvik.js) comes after this one in the page.
  function pageRead() {
    if (document.readyState !== 'loading') return Promise.resolve();
    return new Promise((resolve) => document.addEventListener('DOMContentLoaded', resolve, { once: true }));
  }

  async function start() {
    const [compiled, fontBytes] = await Promise.all([program, font]);
    if (!fontBytes) note('font', `${kFont.name} could not be loaded: ${kFont.without}`, true);
    // Not needed for the dialog: fetched now, so that they do not share
    // the network with what the dialog waits for.
    const showData = kShowData.map((file) => ({ file, bytes: fetchFile(file.name) }));
    await pageRead();
    const messages = [];

    const module = await ZelvikModule({
      canvas,
      // The show's picture has a canvas of its own (display_web.cpp).
      pictureCanvas: document.getElementById('picture'),
      // The module compiled above, instantiated with the program's imports.
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(compiled, imports).then(
          (instance) => receive(instance, compiled),
          (error) => note('program', `The program could not start: ${error.message || error}`, true));
        return {};
      },
      print: (text) => console.log(text),
      // The program's one-line messages are for the viewer as well; the
      // page's own lines about missing files stay in front of them.
      printErr: (text) => {
        console.warn(text);
        messages.push(text);
        note('messages', messages.slice(-2).join(' · '), true);
      },
      preRun: [(module) => {
        if (fontBytes) writeFile(module, kFont, fontBytes);
      }],
    });

    // Each data file goes into the program's file system as it comes; the
    // program hears of it either way, and a Start pressed before then
    // waits for it.
    let dataPending = showData.length;
    for (const { file, bytes } of showData) {
      bytes.then((data) => {
        if (data) writeFile(module, file, data);
        else note(file.name, `${file.name} could not be loaded: ${file.without}`, true);
        module._ZelvikDataFileSettled(file.bit);
        --dataPending;
      });
    }

    // The stage as a class of the page (the show's canvas fills the
    // window), and the frame rate over the last second.
    let lastStage = -1;
    let countStart = performance.now();
    let countFrames = module._ZelvikFrameCount();
    let showStart = 0;
    const state = { stage: 'loading', fps: 0, starts: 0 };
    function watch(now) {
      const stage = module._ZelvikStage();
      if (stage !== lastStage) {
        lastStage = stage;
        state.stage = kStages[stage] || 'ended';
        document.body.className = `stage-${state.stage}`;
        setProgressSuffix(state.stage === 'waiting' ? '· the show starts when they are in' : '');
        if (state.stage === 'show') {
          ++state.starts;
          showStart = now;
          enterFullScreen();
        } else {
          leaveFullScreen();
          soundLine.textContent = '';
        }
      }
      if (state.stage === 'show') watchSound(now - showStart);
      const frames = module._ZelvikFrameCount();
      if (frames < countFrames) countFrames = frames;  // a new show
      if (now - countStart >= 1000) {
        state.fps = ((frames - countFrames) * 1000) / (now - countStart);
        countStart = now;
        countFrames = frames;
        fpsText.textContent = state.stage === 'show' ? `${state.fps.toFixed(1)} frames/s` : '';
      }
      requestAnimationFrame(watch);
    }

    // Sound needs the click on Start (the browser's rule): the show's
    // audio output, and with it the audio clock, exists only from then on.
    // Where the browser still will not play it (sound refused, or no audio
    // output at all) the show goes on silently, and one line says so.
    const soundLine = document.getElementById('sound');
    function audioContext() {
      return module.SDL2 && module.SDL2.audioContext ? module.SDL2.audioContext : null;
    }
    function watchSound(sinceStart) {
      const context = audioContext();
      const silent = context && context.state !== 'running' && sinceStart > 1000;
      const text = silent ? 'No sound: the browser gives this page no audio output, so the show plays silently.' : '';
      if (soundLine.textContent !== text) soundLine.textContent = text;
    }

    requestAnimationFrame(watch);

    window.zelvik = {
      stage: () => state.stage,
      starts: () => state.starts,
      audioState: () => (audioContext() ? audioContext().state : 'none'),
      fps: () => state.fps,
      demoClock: () => module._ZelvikDemoClock(),
      frameCount: () => module._ZelvikFrameCount(),
      itemRect: (id, which) => module._ZelvikDialogItemRect(id, which),
      jumpTo: (clock) => module._ZelvikSkipTo(clock),
      musicPlaying: () => module._ZelvikMusicPlaying() !== 0,
      // The show's data files still being fetched.
      dataPending: () => dataPending,
      audioTime: () => (audioContext() ? audioContext().currentTime : -1),
    };
    document.body.dataset.ready = 'yes';
    // Done once the show's data files are settled too.
    await Promise.all(showData.map(({ bytes }) => bytes));
  }

  // Full screen for the whole stage, asked for right after the click on
  // Start (which lets the page); a phone is then turned to landscape where
  // the browser allows it. A browser that refuses (an iPhone's) leaves the
  // show in the page, the picture as large as the page holds.
  const fullScreenElement = () => document.fullscreenElement || document.webkitFullscreenElement || null;
  function enterFullScreen() {
    const stage = document.getElementById('stage');
    const request = stage.requestFullscreen || stage.webkitRequestFullscreen;
    if (!request || fullScreenElement()) return;
    Promise.resolve(request.call(stage)).then(() => {
      if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(() => {});
    }, () => console.log('full screen refused: the show runs in the page'));
  }
  function leaveFullScreen() {
    if (!fullScreenElement()) return;
    try {
      if (screen.orientation && screen.orientation.unlock) screen.orientation.unlock();
    } catch (error) {
      // Nothing was locked.
    }
    const exit = document.exitFullscreen || document.webkitExitFullscreen;
    if (exit) Promise.resolve(exit.call(document)).catch(() => {});
  }

  // The site offline: a service worker keeps every file of the site once
  // the page has loaded them, so that the next visit works without a
  // network; the browser also offers to install the page as an app. It is
  // registered once the show's data files are in, so that its copying of
  // the site does not share the network with them.
  function keepOffline() {
    if (!('serviceWorker' in navigator)) return;
    navigator.serviceWorker.register('service_worker.js')
      .catch((error) => console.log(`the site cannot be kept for offline use: ${error.message || error}`));
  }

  start().then(keepOffline).catch((error) => {
    note('program', `The program could not start: ${error.message || error}`, true);
    console.error(error);
  });
})();
