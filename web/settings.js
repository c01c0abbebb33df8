// The player's settings: the game's pace, the keys, the pad's jump button, the touch controls'
// layout and size, and whether a demo shows the keys it plays. One panel holds them all; it opens
// from its button, the S key or a pad's Start, and the game waits while it is open. They are
// kept in the browser's storage for the next visit, where the browser allows it.
//
// The game is handed each setting by the page's settings handle (Module.gameSettings), which it
// offers through Module.onGameSettings before its first frame. Other scripts of the page read
// the settings from window.FennwickSettings.current(), change one with .change(name, value) (the
// demo viewer's Keys box is the panel's switch for the keys a demo plays), and hear each change as
// a 'fennwick-settings' event on the window.
'use strict';
(function () {
  const root = document.documentElement;
  const words = window.FennwickWords;
  const canvas = document.getElementById('canvas');
  const panel = document.getElementById('settings');
  const note = document.getElementById('settings-note');
  const keyButtons = Array.from(panel.querySelectorAll('[data-key]'));
  const choices = { pace: 'pace', padJump: 'pad-jump', hand: 'hand', size: 'size' };
  const storageName = 'fennwick-settings';
  // The S key opens the panel: neither the game nor a demo's viewer has a use for it. Its code,
  // the keys' signs and the game's standard keys are the game's (numbers.js).
  const openKey = FennwickNumbers.settingsKey;
  const keyNames = FennwickNumbers.keyNames;
  const jobs = ['Left', 'Right', 'Jump'];

  const standard = () => ({
    pace: 100,
    keys: FennwickNumbers.standardKeys.map((code) => ({ code, name: keyNames[code] })),
    padJump: 0,
    hand: 'right',
    size: 'medium',
    showInput: true,
  });
  // What the panel offers for each choice, read from the panel itself.
  const offered = (name) => Array.from(document.getElementById(choices[name]).options, (option) => option.value);

  // --- Storage ---
  // Some private windows refuse the storage outright, others accept nothing into it: either
  // way the settings last for the visit, and the panel says so.
  let remembering = true;
  function stored() {
    let text = null;
    try {
      text = localStorage.getItem(storageName);
    } catch (error) {
      remembering = false;
    }
    let kept = {};
    try {
      kept = Object(JSON.parse(text || '{}'));
    } catch (error) {
      // Not what this page writes: the standard settings stand.
    }
    // Only what this page could have written: anything else falls back to the standard setting.
    const settings = standard();
    for (const name of Object.keys(choices)) {
      if (kept[name] !== undefined && offered(name).includes(String(kept[name]))) settings[name] = kept[name];
    }
    if (typeof kept.showInput === 'boolean') settings.showInput = kept.showInput;
    const keys = kept.keys;
    if (Array.isArray(keys) && keys.length === 3 &&
        keys.every((key) => key && Number.isInteger(key.code) && key.code > 0 && key.code < 256 && typeof key.name === 'string')) {
      settings.keys = keys;
    }
    return settings;
  }
  function remember() {
    try {
      localStorage.setItem(storageName, JSON.stringify(settings));
      remembering = true;
    } catch (error) {
      remembering = false;
    }
  }

  let settings = stored();

  // --- The game ---
  const handle = () => (window.Module && Module.gameSettings) || 0;
  const loaded = () => !!(window.Module && Module._fennwick_keys);
  // The keys are judged by the game, which says why it refuses a choice; null when it takes it.
  function refusal(codes) {
    if (!loaded()) return words.keysOnceLoaded;
    return Module._fennwick_keys(handle(), codes[0], codes[1], codes[2]) ? null : Module.settingRefused;
  }

  function apply() {
    root.classList.toggle('left-handed', settings.hand === 'left');
    for (const size of offered('size')) root.classList.toggle(`touch-${size}`, settings.size === size);
    if (handle()) {
      Module._fennwick_pace(handle(), Number(settings.pace));
      // Keys that the game refuses now (kept by a page that judged otherwise) give way to its own.
      if (refusal(settings.keys.map((key) => key.code))) {
        settings.keys = standard().keys;
        refusal(settings.keys.map((key) => key.code));
      }
      Module._fennwick_pad_jump(handle(), Number(settings.padJump));
      // A game that starts while the panel is open waits behind it too.
      Module._fennwick_pause(handle(), panel.open ? 1 : 0);
    }
    window.dispatchEvent(new CustomEvent('fennwick-settings', { detail: Object.assign({}, settings) }));
  }
  function changed() {
    remember();
    apply();
    show();
  }
  if (window.Module) Module.onGameSettings = apply;

  // --- The panel ---
  function say(text) { note.textContent = text; }
  function show() {
    for (const name of Object.keys(choices)) document.getElementById(choices[name]).value = String(settings[name]);
    document.getElementById('show-input').checked = settings.showInput;
    keyButtons.forEach((button, i) => { button.textContent = words.keyOf(jobs[i], settings.keys[i].name); });
    say(remembering ? '' : words.settingsNotKept);
  }

  // The game waits while the panel is open: no frame runs behind it, and its frame counter stops.
  function open() {
    if (panel.open) return;
    show();
    panel.showModal();
    if (handle()) Module._fennwick_pause(handle(), 1);
  }
  panel.addEventListener('close', () => {
    choosing = -1;
    if (handle()) Module._fennwick_pause(handle(), 0);
    canvas.focus({ preventScroll: true });
  });
  for (const button of document.querySelectorAll('.open-settings')) button.addEventListener('click', open);

  for (const name of Object.keys(choices)) {
    document.getElementById(choices[name]).addEventListener('change', (event) => {
      settings[name] = typeof settings[name] === 'number' ? Number(event.target.value) : event.target.value;
      changed();
    });
  }
  document.getElementById('show-input').addEventListener('change', (event) => {
    settings.showInput = event.target.checked;
    changed();
  });
  document.getElementById('standard-settings').addEventListener('click', () => {
    settings = standard();
    changed();
    say(remembering ? words.standardBack : note.textContent);
  });

  // A key button waits for the next key pressed, whatever it is: the game judges it.
  let choosing = -1;
  keyButtons.forEach((button, i) => button.addEventListener('click', () => {
    choosing = i;
    button.textContent = words.pressKey(jobs[i]);
    say('');
  }));
  panel.addEventListener('keydown', (event) => {
    if (choosing < 0 || !event.keyCode) return;
    event.preventDefault();
    event.stopPropagation();
    const codes = settings.keys.map((key) => key.code);
    codes[choosing] = event.keyCode;
    const why = refusal(codes);
    const job = choosing;
    choosing = -1;
    if (why) {
      show();
      say(why);
      return;
    }
    const name = keyNames[event.keyCode] || (event.key.length === 1 ? event.key.toUpperCase() : event.key);
    settings.keys[job] = { code: event.keyCode, name };
    changed();
    keyButtons[job].focus();
  }, true);
  // Escape while a key is awaited is that key, refused, not a wish to close the panel.
  panel.addEventListener('cancel', (event) => { if (choosing >= 0) event.preventDefault(); });

  // S opens the panel, unless the player has given S to the game.
  window.addEventListener('keydown', (event) => {
    if (event.keyCode !== openKey || event.repeat || panel.open || event.ctrlKey || event.altKey || event.metaKey) return;
    if (settings.keys.some((key) => key.code === openKey)) return;
    if (event.target !== canvas && event.target !== document.body) return;
    event.preventDefault();
    event.stopPropagation();
    open();
  }, true);

  // --- Pads ---
  // Start opens and closes the panel; in it the D-pad moves between the controls and changes a
  // choice, A presses, B closes. Each acts as its button comes up, so that nothing a pad holds
  // when the panel closes reaches the game.
  const padButtons = { a: 0, b: 1, start: 9, up: 12, down: 13, left: 14, right: 15 };
  let padHeld = {};
  function padAct(name) {
    if (name === 'start' && !panel.open) return open();
    if (!panel.open) return;
    const controls = Array.from(panel.querySelectorAll('select, input, button')).filter((control) => !control.disabled);
    const at = controls.indexOf(document.activeElement);
    if (name === 'start' || name === 'b') panel.close();
    else if (name === 'up' || name === 'down') controls[(at + (name === 'up' ? controls.length - 1 : 1)) % controls.length].focus();
    else if (name === 'a' && at >= 0) document.activeElement.click();
    else if ((name === 'left' || name === 'right') && document.activeElement.tagName === 'SELECT') {
      const select = document.activeElement;
      const index = Math.min(select.options.length - 1, Math.max(0, select.selectedIndex + (name === 'left' ? -1 : 1)));
      if (index !== select.selectedIndex) {
        select.selectedIndex = index;
        select.dispatchEvent(new Event('change'));
      }
    }
  }
  function readPads() {
    const held = {};
    for (const pad of (navigator.getGamepads ? navigator.getGamepads() : [])) {
      if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
      for (const [name, index] of Object.entries(padButtons)) held[name] = held[name] || (pad.buttons[index] && pad.buttons[index].pressed);
    }
    for (const name of Object.keys(padButtons)) if (padHeld[name] && !held[name]) padAct(name);
    padHeld = held;
    requestAnimationFrame(readPads);
  }
  // Pads are read, here and by the game, only once there is one to read: the browser tells of
  // one when it is first used (or has one already), and until then each animation frame is the
  // game's alone, which on a slow phone is the difference between a frame that fits its time
  // and one that does not. `seen` is called once, then.
  function whenPadSeen(seen) {
    if (navigator.getGamepads && Array.from(navigator.getGamepads()).some((pad) => pad)) {
      seen();
      return;
    }
    const tell = () => {
      window.removeEventListener('gamepadconnected', tell);
      seen();
    };
    window.addEventListener('gamepadconnected', tell);
  }
  whenPadSeen(() => requestAnimationFrame(readPads));

  window.FennwickSettings = {
    whenPadSeen,
    current: () => Object.assign({}, settings),
    change: (name, value) => {
      settings[name] = value;
      changed();
    },
  };
  apply();
})();
