// The demo viewer's bar under the canvas, and the display of the keys the run holds. The game
// moves through the run (pause, steps, seeks, speed) and tells the page where it stands after
// each shown frame, through Module.onViewer; the bar only shows that and hands the player's
// wishes back through Module._fennwick_view. A link to a moment is the run's link with the frame
// after it: #run=…&t=FRAME, which opens paused there. "Play from here" hands the demo to the
// player at the frame shown; the bar then says that the run is live, and the touch controls
// come back.
'use strict';
(function () {
  const root = document.documentElement;
  const words = window.FennwickWords;
  const canvas = document.getElementById('canvas');
  const bar = document.getElementById('viewer');
  const keysShown = document.getElementById('keys-held');
  const playButton = document.getElementById('view-play');
  const scrubber = document.getElementById('view-position');
  const times = document.getElementById('view-times');
  const speedButton = document.getElementById('view-speed');
  const momentButton = document.getElementById('view-moment');
  const takeOverButton = document.getElementById('view-take-over');
  const keysSwitch = document.getElementById('view-keys');

  // The game's commands, the bits of what the run holds and the speeds' names, slowest first:
  // as the game has them (numbers.js).
  const command = FennwickNumbers.view;
  const holds = FennwickNumbers.held;
  const speedNames = FennwickNumbers.speeds;
  const modes = FennwickNumbers.modes;

  // What the tests and the curious can read: where the run stands, as the game last said.
  const shown = { frame: -1, last: -1, speed: -1, paused: null, holds: -1, mode: modes.watching };
  const viewing = () => window.fennwick && window.fennwick.state === 'running' && window.Module && Module.playerInput;
  function send(what, argument) {
    if (viewing()) Module._fennwick_view(Module.playerInput, what, argument);
  }

  // The moment's link: the page's own address, the run it plays, the frame shown. A demo the
  // page fetched (?play=) is put in the link as a run link carries it.
  let runHash = location.hash.replace(/&t=\d*/, '');
  function momentLink() {
    return `${location.href.split(/[?#]/)[0]}${runHash}&t=${Math.max(shown.frame, 0)}`;
  }

  // While the run plays, the bar's position (its time, its scrubber) is written five times a
  // second: each write costs the page a layout and a paint, a millisecond on a desktop, more
  // than the picture does, and no eye reads hundredths changing sixty times a second. Paused,
  // stepped or seeked, it is written at once, exactly; a frame held back is written when its
  // fifth of a second is up, so the bar never stays behind the picture.
  const barPeriod = 200;
  let barWritten = -Infinity;
  let barDue = 0;
  let momentSaid = false;
  function writeBar() {
    clearTimeout(barDue);
    barDue = 0;
    barWritten = performance.now();
    // A run taken over or rewinding has its own words there, not a frame held back.
    if (shown.mode !== modes.watching) return;
    // A finger or a mouse on the scrubber moves it; the game follows, and is not fought.
    if (!dragging) scrubber.value = String(shown.frame);
    const frameTime = Module.gameText(shown.frameText);
    const lastTime = Module.gameText(shown.lastText);
    scrubber.setAttribute('aria-valuetext', words.timeOf(frameTime, lastTime));
    times.textContent = `${frameTime} / ${lastTime}`;
  }

  // Called by the game after each frame it shows, with the same values most of the time: the
  // page is touched only where something changed. The times are the game's, m:ss.cc, handed as
  // where they lie in its memory (Module.gameText reads one): they are read only when written,
  // and the game's copy is always of the frame it last told.
  function onViewer(frame, last, frameText, lastText, speed, paused, held, mode, liveText) {
    shown.frameText = frameText;
    shown.lastText = lastText;
    if (mode !== modes.watching || shown.mode !== modes.watching) {
      // Live play, from the frame the demo was taken over at (or a rewind let go), or rewinding.
      if (mode !== shown.mode) {
        for (const child of bar.children) child.hidden = mode !== modes.watching && child !== times;
        root.classList.toggle('demo', mode === modes.watching);
        begun = mode === modes.watching;
        showKeys();
        shown.mode = mode;
      }
      if (mode === modes.live) times.textContent = words.liveFrom(Module.gameText(liveText));
      else if (mode === modes.rewinding) times.textContent = words.rewinding(Module.gameText(frameText));
      if (mode !== modes.watching) return;
    }
    const lengthChanged = last !== shown.last;
    if (lengthChanged) {
      scrubber.max = String(last);
      shown.last = last;
    }
    const moved = frame !== shown.frame;
    shown.frame = frame;
    const waited = performance.now() - barWritten;
    if (lengthChanged || paused !== shown.paused || (moved && (paused || waited >= barPeriod))) writeBar();
    else if (moved && !barDue) barDue = setTimeout(writeBar, barPeriod - waited);
    if (moved && momentSaid) {
      momentButton.textContent = words.linkToMoment;
      momentSaid = false;
    }
    if (speed !== shown.speed) {
      speedButton.textContent = speedNames[speed];
      speedButton.setAttribute('aria-label', words.speed(speedNames[speed]));
      shown.speed = speed;
    }
    if (paused !== shown.paused) {
      playButton.textContent = paused ? '▶' : '❚❚';
      playButton.setAttribute('aria-label', paused ? words.paused : words.playing);
      shown.paused = paused;
    }
    if (held !== shown.holds) {
      for (const key of keysShown.children) key.classList.toggle('held', (held & holds[key.dataset.key]) !== 0);
      shown.holds = held;
    }
  }

  // The page opened on a run shows the viewer; the game, once started, reports to it.
  function begin(startFrame, script) {
    const runs = window.FennwickRuns;
    if (!runHash.startsWith('#run=') && runs) runs.payloadFor(script).then((payload) => { runHash = `#run=${payload}`; }, () => {});
    root.classList.add('demo');
    bar.hidden = false;
    begun = true;
    showKeys();
    Module.onViewer = onViewer;
    // Before the game's first frame is shown: the moment the link names, paused there.
    if (startFrame !== null) {
      send(command.seek, startFrame);
      if (!shown.paused) send(command.playPause, 0);
    }
  }
  function end() {
    root.classList.remove('demo');
    bar.hidden = true;
  }

  // A pointer's click leaves the focus where the keys steer the viewer; a key's click (Enter,
  // Space) keeps it on the control, for the next key.
  function backToCanvas(event) {
    if (event.detail > 0) canvas.focus({ preventScroll: true });
  }
  function control(element, action) {
    element.addEventListener('click', (event) => {
      action();
      backToCanvas(event);
    });
  }
  control(playButton, () => send(command.playPause, 0));
  // A step held down repeats, as its key does: it goes with the pointer or finger that holds it,
  // and a key's click (detail 0) is a press let go at once.
  for (const [id, direction] of [['view-back', -1], ['view-forward', 1]]) {
    const step = document.getElementById(id);
    let holding = null;
    const letGo = (event) => {
      if (holding === null || event.pointerId !== holding) return;
      holding = null;
      send(command.stepReleased, direction);
      canvas.focus({ preventScroll: true });
    };
    step.addEventListener('pointerdown', (event) => {
      if (holding !== null || event.button !== 0) return;
      holding = event.pointerId;
      step.setPointerCapture(event.pointerId);
      send(command.stepPressed, direction);
    });
    step.addEventListener('pointerup', letGo);
    step.addEventListener('pointercancel', letGo);
    step.addEventListener('click', (event) => {
      if (event.detail !== 0) return;
      send(command.stepPressed, direction);
      send(command.stepReleased, direction);
    });
  }
  // One press goes one speed up, from the fastest back to the slowest.
  control(speedButton, () => send(command.speed, (shown.speed + 1) % speedNames.length));
  control(takeOverButton, () => send(command.takeOver, 0));
  control(momentButton, () => {
    const link = momentLink();
    // The address bar shows the moment too, for a player who copies from there.
    history.replaceState(null, '', link);
    const copied = navigator.clipboard ? navigator.clipboard.writeText(link) : Promise.reject(new Error('no clipboard'));
    // Said on the button until the picture moves on; the copy may be refused (an address that
    // is not https, a browser's setting), and the address bar has it then.
    copied.then(() => { momentButton.textContent = words.linkCopied; }, () => { momentButton.textContent = words.linkInAddressBar; })
      .then(() => { momentSaid = true; });
    momentButton.dataset.link = link;
  });
  // The Keys box is the settings' own switch, remembered with them: either place changes both.
  // The keys show from a demo's start.
  let begun = false;
  function showKeys() {
    const settings = window.FennwickSettings;
    keysSwitch.checked = settings ? settings.current().showInput : keysSwitch.checked;
    keysShown.hidden = !keysSwitch.checked || !begun;
  }
  keysSwitch.addEventListener('change', () => {
    if (window.FennwickSettings) window.FennwickSettings.change('showInput', keysSwitch.checked);
    showKeys();
  });
  window.addEventListener('fennwick-settings', showKeys);
  showKeys();

  // The scrubber seeks as it moves; the game's report puts it back where the run is.
  let dragging = false;
  scrubber.addEventListener('pointerdown', () => { dragging = true; });
  scrubber.addEventListener('input', () => send(command.seek, Number(scrubber.value)));
  scrubber.addEventListener('change', () => {
    if (dragging) canvas.focus({ preventScroll: true });
    dragging = false;
    scrubber.value = String(shown.frame);
  });
  window.addEventListener('pointerup', () => { dragging = false; });

  window.FennwickViewer = { begin, end, shown };
})();
