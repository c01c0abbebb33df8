// The page's loader: it fetches the game's three files, which the page's head has already
// asked for, unpacks them, starts the game on the canvas and tells the player how it stands, from
// the first "Loading" to the end of a game, a demo or a shared run.
'use strict';
(function () {
  const canvas = document.getElementById('canvas');
  const message = document.getElementById('message');
  const messageText = document.getElementById('message-text');
  const spinner = document.getElementById('spinner');
  const actions = document.getElementById('actions');
  const note = document.getElementById('note');
  const words = window.FennwickWords;
  // Without its sharing script the page still plays; it only cannot offer or open a run.
  const runs = window.FennwickRuns;
  const runPayload = runs ? runs.payloadIn(location.hash) : null;
  // A run in the address is what the page was opened to show: it goes before a demo.
  const demoUrl = runPayload === null ? new URLSearchParams(location.search).get('play') : null;

  // What the tests and the curious can read: the state of the game, and the frame counter
  // with the page's own clock beside it.
  const fennwick = window.fennwick = {
    state: 'loading',
    detail: '',
    // What the game noted while it played on (a demo that parts from its run, say), else ''.
    note: '',
    frames: () => (fennwick.state === 'loading' || fennwick.state === 'error') ? 0 : Module.framesRun || 0,
    now: () => performance.now(),
  };

  function show(text, options) {
    options = options || {};
    messageText.textContent = text;
    message.classList.toggle('error', !!options.error);
    spinner.hidden = !options.busy;
    actions.replaceChildren(...(options.actions || []));
    message.hidden = false;
  }
  function hide() { message.hidden = true; }
  function link(text, href) {
    const a = document.createElement('a');
    a.textContent = text;
    a.href = href;
    return a;
  }
  function restart(text) {
    const button = document.createElement('button');
    button.textContent = text;
    // Again from the start, not from the moment a link named.
    button.addEventListener('click', () => {
      if (/&t=/.test(location.hash)) history.replaceState(null, '', location.href.replace(/&t=\d*/, ''));
      location.reload();
    });
    return button;
  }
  function fail(text, options) {
    if (fennwick.state === 'error') return;
    fennwick.state = 'error';
    fennwick.detail = text;
    show(text, Object.assign({error: true}, options));
  }
  // A file of the game's own that does not arrive is the connection's doing, or the host's:
  // the player is told what to do about it, the curious find the cause in fennwick.detail.
  function unreachable(file, why) {
    fail(words.filesUnreachable, {actions: [restart(words.reload)]});
    fennwick.detail = file + ': ' + why;
  }

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail(words.noWebAssembly);
    return;
  }
  // A browser without DecompressionStream (Safari before 16.4, say) unpacks the game's files in
  // script: a few kilobytes more, asked for only by such a browser, where the files unpacked
  // would cost it three times the game's bytes.
  const unpacker = typeof DecompressionStream === 'function' ? null : new Promise((loaded, failed) => {
    const script = document.createElement('script');
    script.src = 'inflate.js';
    script.onload = () => loaded(window.FennwickInflate);
    script.onerror = () => failed(new Error('inflate.js did not arrive'));
    document.head.appendChild(script);
  });

  const demoFile = '/demo.script';
  window.Module = {
    canvas: canvas,
    arguments: demoUrl || runPayload !== null ? ['--play', demoFile] : [],
    preRun: [],
    setStatus: (text) => { if (text && fennwick.state === 'loading') show(words.loadingWith(text), {busy: true}); },
    onAbort: (what) => fail(words.stopped(what)),
    onGameState: (state, detail) => {
      // A note leaves the game as it stands: it shows above the game, which plays on.
      if (state === 'note') {
        fennwick.note = detail;
        note.textContent = detail;
        note.hidden = false;
        return;
      }
      fennwick.state = state;
      fennwick.detail = detail;
      const viewer = window.FennwickViewer;
      if (viewer && state !== 'running') viewer.end();
      if (state === 'running') {
        hide();
        // Every demo is a viewer; a link to a moment opens paused on its frame.
        if (viewer && (demoUrl || runPayload !== null)) {
          viewer.begin(runs ? runs.frameIn(location.hash) : null, Module.FS.readFile(demoFile, {encoding: 'utf8'}));
        }
        // The keys go to the game; the page stays where the player has it (the touch layout may
        // not be in place yet, and the desktop's would scroll the game's top away).
        canvas.focus({preventScroll: true});
      } else if (state === 'ended' && !demoUrl && runPayload === null) {
        offerRun();
      } else if ((state === 'demo-ended' || state === 'ended') && runPayload !== null) {
        // Whether it played to its end or Escape cut it short, what follows a run is the same.
        show(words.runEnded, {actions: [link(words.play, location.pathname), restart(words.watchAgain)]});
      } else if (state === 'demo-ended' || state === 'ended') {
        show(words.demoEnded, {actions: [restart(words.watchAgain), link(words.play, location.pathname)]});
      } else if (state === 'error' && runPayload !== null) {
        // The game's script parser judged the run: its words, without the file's name.
        fennwick.state = 'loading';
        const why = detail.replace(demoFile + ', ', '').replace(demoFile + ' is not a Fennwick recording: ', '');
        unreadableRun(words.notARun(why.slice(0, 80)));
      } else if (state === 'error') {
        fennwick.state = 'loading';
        fail(words.couldNotStart(detail));
      }
    },
  };

  // The game's big files come through the requests the head started, gzip-packed, since a
  // simple host sends them as they lie; here is where their failing to arrive is caught.
  function arrived(response) {
    if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
    return response.arrayBuffer();
  }
  function gunzip(bytes) {
    if (unpacker) return unpacker.then((inflate) => inflate.gunzip(new Uint8Array(bytes)).buffer);
    return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  }
  function isGzip(bytes) {
    const start = new Uint8Array(bytes, 0, Math.min(2, bytes.byteLength));
    return start[0] === 0x1f && start[1] === 0x8b;
  }
  function unpacked(file, bytes) {
    return (bytes || fetch(file + '.gz', {credentials: 'same-origin'}).then(arrived))
      .then((bytes) => {
        // A host that names .gz files' encoding has had the browser unpack them already; none of
        // the three begins, unpacked, as gzip does. The page's own copy is always packed.
        if (isGzip(bytes)) return gunzip(bytes);
        if (file === inPage) throw new Error('the page\'s copy is damaged');
        return bytes;
      })
      .catch((error) => {
        unreachable(file, error.message || error);
        throw error;
      });
  }
  // The SIMD build's WebAssembly travels inside the page, written by the site's build (see
  // page_bytes.js) seven bits to a character, read back here once the page has all arrived. On a
  // phone's connection a request's first byte waits a round trip after it is asked for; the
  // page's own bytes arrive while the head's requests wait, so there the WebAssembly costs no
  // wait of its own.
  const inPage = 'fennwick.wasm';
  function pageBytes() {
    return new Promise((read) => {
      if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', read);
      else read();
    }).then(() => {
      const block = document.getElementById('webassembly');
      const length = block ? Number(block.dataset.bytes) : 0;
      const text = block ? block.textContent : '';
      const bytes = new Uint8Array(length);
      let held = 0;
      let bits = 0;
      let at = 0;
      const put = (group) => {
        held = (held << 7) | group;
        bits += 7;
        if (bits >= 8) {
          bits -= 8;
          if (at < length) bytes[at++] = held >> bits;
          held &= (1 << bits) - 1;
        }
      };
      for (let i = 0; i < text.length; i++) {
        const char = text.charCodeAt(i);
        if (char >= 512) throw new Error('the page\'s copy is damaged');
        if (char < 128) {
          put(char);
        } else {
          put([0, 13, 60][(char - 128) >> 7]);
          put(char & 127);
        }
      }
      if (at < length || !length) throw new Error('the page\'s copy is damaged');
      return bytes.buffer;
    });
  }
  // The build the page's head chose for this browser (SIMD and bulk memory, or plain): the two
  // share the script and the pictures. A browser on the plain build receives the page's copy of
  // the other WebAssembly too, and leaves it: only a SIMD probe in the head can tell which build
  // a browser runs, and asking for the SIMD one apart would cost every other browser a wait.
  const build = window.fennwickBuild || 'fennwick';
  const wasm = build + '.wasm';
  const game = {
    script: unpacked('fennwick.js'),
    wasm: unpacked(wasm, wasm === inPage ? pageBytes() : null),
    pictures: unpacked('fennwick.data'),
  };
  // The WebAssembly compiles as soon as it is here, while the script is still being made ready.
  const compiled = game.wasm.then((bytes) => WebAssembly.compile(bytes));
  Module.instantiateWasm = (imports, receive) => {
    compiled
      .then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
      .catch((error) => unreachable(wasm, error.message || error));
    return {};
  };
  // The script runs from memory, so it is told that its other files lie beside the page.
  Module.locateFile = (name) => name;

  // The demo's script is fetched before the game starts, and handed to it as --play does.
  if (demoUrl) {
    Module.preRun.push(() => {
      Module.addRunDependency('demo');
      fetch(demoUrl)
        .then((response) => {
          if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
          return response.text();
        })
        .then((text) => {
          Module.FS.writeFile(demoFile, text);
          Module.removeRunDependency('demo');
        })
        .catch((error) => fail(words.demoNotLoaded(demoUrl, error.message)));
    });
  }

  // --- The run a link carries, and the run just played --------------------------------------
  function unreadableRun(why) {
    fail(words.runUnreadable(why));
    actions.replaceChildren(link(words.play, location.pathname));
  }
  if (runPayload !== null) {
    Module.preRun.push(() => {
      Module.addRunDependency('run');
      runs.readPayload(runPayload)
        .then((text) => {
          Module.FS.writeFile(demoFile, text);
          Module.removeRunDependency('run');
        })
        .catch((error) => {
          if (!(error instanceof runs.UnreadableRun)) throw error;
          unreadableRun(error.message);
        });
    });
  }
  // Every live game is kept; its end offers it. The offers take a moment to make.
  function offerRun() {
    const run = Module.recordedRun || '';
    show(words.gameEnded, {actions: [restart(words.startAgain)]});
    if (!runs) return;
    runs.offersFor(run, location.href, new Date()).then((made) => {
      if (fennwick.state !== 'ended') return;
      show(words.gameEndedWith(made.note), {actions: [restart(words.startAgain), ...made.offers]});
    });
  }

  // A file that does not arrive (the program, its WebAssembly, the pictures) says so instead of
  // leaving the page loading forever.
  window.addEventListener('error', (event) => {
    const what = event.message || (event.target && (event.target.src || event.target.href)) || words.unknownError;
    fail(words.couldNotLoad(what));
  });
  window.addEventListener('unhandledrejection', (event) => {
    fail(words.couldNotLoad(event.reason && event.reason.message || event.reason));
  });

  canvas.addEventListener('mousedown', () => canvas.focus({preventScroll: true}));
  // The pictures are handed to the script when it asks, so it starts once they are here; it
  // fetches them itself only if these are not the ones it was built with.
  let pictures = null;
  Module.getPreloadedPackage = (name, size) => (pictures && pictures.byteLength === size ? pictures : null);
  show(words.loading, {busy: true});
  Promise.all([game.script, game.pictures]).then(([code, data]) => {
    pictures = data;
    const script = document.createElement('script');
    script.src = URL.createObjectURL(new Blob([code], {type: 'text/javascript'}));
    script.onerror = () => unreachable('fennwick.js', 'it cannot be run');
    document.body.appendChild(script);
  }, () => {});
})();
