// The show's page: loads the program and its data files with a progress
// line, hands the files to the program before it starts, shows its
// messages (anything it writes to stderr) on the page, and keeps a frame
// counter. Stage and counters are offered to the browser test as
// window.zelvik.
'use strict';

(function () {
  const { show, fetchFile } = ZelvikLoading;
  const fpsText = document.getElementById('fps');
  const canvas = document.getElementById('canvas');
  const kStages = ['loading', 'dialog', 'show', 'ended'];
  // The data files, where the program looks for them, and what the show
  // does without each.
  const kData = [
    { name: 'scene1.bmp', path: '/scene1.bmp', without: 'the show runs without pictures' },
    { name: 'demo.xm', path: '/demo.xm', without: 'the show runs without music' },
    { name: 'DejaVuSans.ttf', path: '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf',
      without: 'the options dialog cannot be drawn' },
  ];

  async function start() {
    const wasm = await fetchFile('zelvik.wasm');
    if (!wasm) throw new Error('zelvik.wasm could not be loaded');
    const missing = [];
    for (const file of kData) {
      file.bytes = await fetchFile(file.name);
      if (!file.bytes) missing.push(`${file.name} could not be loaded: ${file.without}`);
    }
    show(missing.join(' · '), missing.length > 0);
    const messages = [];

    const module = await ZelvikModule({
      canvas,
      // The show's picture has a canvas of its own (display_web.cpp).
      pictureCanvas: document.getElementById('picture'),
      wasmBinary: wasm.buffer,
      print: (text) => console.log(text),
      // The program's one-line messages are for the viewer as well; the
      // page's own line about missing files stays in front of them.
      printErr: (text) => {
        console.warn(text);
        messages.push(text);
        show(missing.concat(messages.slice(-2)).join(' · '), true);
      },
      preRun: [(module) => {
        for (const file of kData) {
          if (!file.bytes) continue;
          const folder = file.path.slice(0, file.path.lastIndexOf('/'));
          if (folder) module.FS.mkdirTree(folder);
          module.FS.writeFile(file.path, file.bytes);
        }
      }],
    });

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
      audioTime: () => (module.SDL2 && module.SDL2.audioContext ? module.SDL2.audioContext.currentTime : -1),
    };
    document.body.dataset.ready = 'yes';
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
  // network; the browser also offers to install the page as an app.
  function keepOffline() {
    if (!('serviceWorker' in navigator)) return;
    navigator.serviceWorker.register('service_worker.js')
      .catch((error) => console.log(`the site cannot be kept for offline use: ${error.message || error}`));
  }

  start().then(keepOffline).catch((error) => {
    show(`The program could not start: ${error.message || error}`, true);
    console.error(error);
  });
})();
