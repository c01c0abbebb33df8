// Rewrites a script of the site smaller: the build runs it after every link on the game's
// script, in place, and on the page's own scripts as it copies them into the site.
//
//   node shrink_script.js fennwick.js
//   node shrink_script.js --page SOURCE... TARGET  (.js files joined in order into one; or a
//        page, its inline scripts shrunk, and the .js files after it joined into it in place of
//        its <script src="page.js"></script>)
//
// In the game's script every name of its own is shortened; the page reaches the game only
// through the global Module and properties named by strings, which are left as they are. The
// page's scripts share the window with each other and the page, so their top-level names stay.
'use strict';

const fs = require('fs');
const { minify } = require('terser');

const page = process.argv[2] === '--page';
const sources = page ? process.argv.slice(3, -1) : process.argv.slice(2, 3);
const source = sources.join(', ');
const target = page ? process.argv[process.argv.length - 1] : process.argv[2];
(async () => {
  if (!sources.length || !target) throw new Error('usage: shrink_script.js FILE | --page SOURCE... TARGET');
  const shrink = async (code) => {
    const result = await minify(code, {
      toplevel: !page,
      mangle: page ? true : { reserved: ['Module'] },
      compress: { passes: 2 },
    });
    if (!result.code) throw new Error('terser returned nothing');
    return result.code;
  };
  // Each script ends its last statement itself before the next begins.
  const join = (files) => files.map((file) => fs.readFileSync(file, 'utf8')).join(';\n');
  if (!target.endsWith('.html')) {
    fs.writeFileSync(target, await shrink(join(sources)));
    return;
  }
  let text = fs.readFileSync(sources[0], 'utf8');
  if (sources.length > 1) {
    const place = '<script src="page.js"></script>';
    if (!text.includes(place)) throw new Error(`the page has no ${place} for its scripts`);
    text = text.replace(place, () => `<script>${join(sources.slice(1))}</script>`);
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
