// Rewrites a script of the site smaller: the build runs it after every link on the game's
// script, in place, and on the page's own scripts as it copies them into the site.
//
//   node shrink_script.js fennwick.js
//   node shrink_script.js --page SOURCE TARGET     (a .js file, or a page's inline scripts)
//
// In the game's script every name of its own is shortened; the page reaches the game only
// through the global Module and properties named by strings, which are left as they are. The
// page's scripts share the window with each other and the page, so their top-level names stay.
'use strict';

const fs = require('fs');
const { minify } = require('terser');

const page = process.argv[2] === '--page';
const [source, target] = page ? process.argv.slice(3, 5) : [process.argv[2], process.argv[2]];
(async () => {
  if (!source || !target) throw new Error('usage: shrink_script.js FILE | --page SOURCE TARGET');
  const shrink = async (code) => {
    const result = await minify(code, {
      toplevel: !page,
      mangle: page ? true : { reserved: ['Module'] },
      compress: { passes: 2 },
    });
    if (!result.code) throw new Error('terser returned nothing');
    return result.code;
  };
  const text = fs.readFileSync(source, 'utf8');
  if (!source.endsWith('.html')) {
    fs.writeFileSync(target, await shrink(text));
    return;
  }
  // The page itself: the scripts written into it shrunk; elsewhere its notes to the reader go,
  // and a line's indent, which the browser shows as the one space the line break already is.
  const parts = text.split(/(<script>)([\s\S]*?)(<\/script>)/);
  for (let i = 0; i < parts.length; i += 4) {
    parts[i] = parts[i]
      .replace(/<!--[\s\S]*?-->/g, '')
      .replace(/(<style>[\s\S]*?<\/style>)/g, (style) => style.replace(/\/\*[\s\S]*?\*\//g, ''))
      .replace(/\n[ \t]+/g, '\n')
      .replace(/\n+/g, '\n');
  }
  for (let i = 2; i < parts.length; i += 4) parts[i] = await shrink(parts[i]);
  fs.writeFileSync(target, parts.join(''));
})().catch((error) => {
  console.error(`shrink_script.js: ${source}: ${error.message || error}`);
  process.exit(1);
});
