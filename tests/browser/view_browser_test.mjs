// Drives `sci --view` on one scene in headless Chromium and checks the page
// against what `sci --json` answers for the same scene.
//   node view_browser_test.mjs SCI SCENE NODE_MODULES CHROMIUM
// Exit 0 when every check passes, 1 when one fails, 77 when the scene is absent.
import { spawn, spawnSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, renameSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createRequire } from 'node:module';
import { basename, join, resolve } from 'node:path';

const [sci, scene, nodeModules, chromium] = process.argv.slice(2);
if (!existsSync(scene)) {
  console.log(`skipped: ${scene} is absent`);
  process.exit(77);
}
const puppeteer = createRequire(resolve(nodeModules, 'package.json'))('puppeteer-core');
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// One answer of `sci --json`, as its text and parsed.
function ask(...words) {
  const run = spawnSync(sci, ['--json', scene, ...words.map(String)], { encoding: 'utf8' });
  return { text: run.stdout.trim(), json: JSON.parse(run.stdout) };
}
const first = (answer) => Object.values(answer.json.outputs)[0];
// The first output of each line of a `sci --json --batch`.
function askAll(lines) {
  const run = spawnSync(sci, ['--json', '--batch', '-', scene],
    { input: `${lines.join('\n')}\n`, encoding: 'utf8', maxBuffer: 1 << 30 });
  return run.stdout.trim().split('\n').filter((line) => line).map((line) => Object.values(JSON.parse(line).outputs)[0]);
}

// Starts the server on `path` and resolves with its printed address.
function serve(path = scene) {
  const server = spawn(sci, ['--view', '--no-browser', '--port', '0', '--no-cache', path], { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      if (out.includes('\n')) resolve({ server, url: out.split('\n')[0] });
    });
    server.on('exit', (code) => reject(new Error(`sci --view exited with ${code} before serving`)));
  });
}

// Opens `url` in `page`; true when the page gets ready.
async function opened(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.state, { timeout: 30000 });
  return page.evaluate(() => document.body.dataset.state === 'ready');
}

// The share of the viewport's pixels that differ from `reference` (or from
// the background colour when there is none), read from the canvas itself so
// that the overlays on it do not count.
async function pixelDifference(page, reference) {
  const shot = await page.evaluate(() => {
    window.sci.viewport.render();
    return window.sci.viewport.renderer.domElement.toDataURL('image/png').split(',')[1];
  });
  return page.evaluate(async (png, other) => {
    const pixels = async (data) => {
      const image = new Image();
      image.src = `data:image/png;base64,${data}`;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return context.getImageData(0, 0, image.width, image.height).data;
    };
    const a = await pixels(png);
    const b = other ? await pixels(other) : null;
    let differing = 0;
    for (let i = 0; i < a.length; i += 4) {
      const [r, g, bl] = b ? [b[i], b[i + 1], b[i + 2]] : [0x30, 0x34, 0x3a];
      if (Math.abs(a[i] - r) + Math.abs(a[i + 1] - g) + Math.abs(a[i + 2] - bl) > 24) ++differing;
    }
    return { share: differing / (a.length / 4), shot: png };
  }, shot, reference ?? null);
}

const { server, url } = await serve();
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run', '--no-default-browser-check'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 800 });
  const errors = [];
  page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', (error) => errors.push(error.message));
  check(await opened(page, url), 'the page did not get ready');
  check(errors.length === 0, `console errors: ${errors.join(' | ')}`);

  // The tree shows every node.
  const nodeCount = first(ask('node-count'));
  check(await page.$$eval('#tree .tree-node', (nodes) => nodes.length) === nodeCount, `tree node count != ${nodeCount}`);

  // Every texture a surface's diffuse map names is drawn from its image,
  // or drawn as the checker with the panel saying why.
  const maps = await page.evaluate(() => {
    const { viewport, model } = window.sci;
    const found = [];
    viewport.scene.traverse((object) => {
      const map = object.material?.map;
      if (map && object.userData.surfaceId !== undefined)
        found.push({ node: object.userData.nodeId, surface: object.userData.surfaceId, checker: map.isDataTexture === true,
          width: map.image?.width ?? 0 });
    });
    // Whether some surface's colour map (the one the view draws) has an image.
    const colourServed = model.nodes.some((node) => node.surfaces.some((surface) => surface.maps.some((m) =>
      (m.type === 'diffuse' || m.type === 'basecolor') && m.texture !== null && model.textures[m.texture]?.type)));
    return { found, colourServed };
  });
  for (const map of maps.found) {
    if (!map.checker) {
      check(map.width > 0, `surface ${map.surface}: its texture has no image`);
      continue;
    }
    await page.evaluate((m) => window.sci.panel.show('surface', m.surface), map);
    const line = await page.$eval('#panel', (panel) => panel.querySelector('.texture-missing')?.textContent ?? '');
    check(line.includes('checker'), `surface ${map.surface} draws a checker without a panel line`);
  }
  const drawn = maps.found.filter((m) => !m.checker).length;
  // The textures show in the picture: without them, other pixels.
  if (drawn > 0) {
    // Puts each drawn image aside, or back where it was.
    const swapImages = () => page.evaluate(() => window.sci.viewport.scene.traverse((o) => {
      if (!(o.material?.map || o.userData.map) || o.material.map?.isDataTexture) return;
      [o.material.map, o.userData.map] = [o.userData.map ?? null, o.material.map];
      o.material.needsUpdate = true;
    }));
    const textured = await pixelDifference(page);
    await swapImages();
    const plain = await pixelDifference(page, textured.shot);
    check(plain.share > 0.002, `taking the textures away changed only ${plain.share} of the pixels`);
    await swapImages();
  }
  if (maps.colourServed) check(drawn > 0, 'no surface draws any of the colour maps the server serves');

  // The search keeps the nodes whose name holds the text and their
  // ancestors; folding the root leaves it alone; both undo.
  const visibleNodes = () => page.$$eval('#tree .tree-node', (nodes) => nodes.filter((n) => !n.hidden).map((n) => Number(n.dataset.id)));
  const lastName = first(ask('node-name', nodeCount - 1));
  if (lastName) {
    await page.type('#tree .search', lastName);
    check((await visibleNodes()).includes(nodeCount - 1), `searching "${lastName}" hid node ${nodeCount - 1}`);
    await page.$eval('#tree .search', (input) => { input.value = ''; input.dispatchEvent(new Event('input')); });
  }
  if (nodeCount > 1) {
    await page.click('#tree .tree-node .toggle');
    check((await visibleNodes()).length === 1, 'folding the root left other nodes shown');
    await page.click('#tree .tree-node .toggle');
    check((await visibleNodes()).length === nodeCount, 'unfolding the root did not show every node again');
  }

  // Picking the last node of the tree shows its global matrix as the channel gives it.
  const picked = await page.$$eval('#tree .tree-node', (nodes) => Number(nodes[nodes.length - 1].dataset.id));
  await page.click(`#tree .tree-node[data-id="${picked}"]`);
  await page.waitForSelector('#panel [data-query="node-global-tm"] table');
  const shown = await page.$$eval('#panel [data-query="node-global-tm"] td', (cells) => cells.map((c) => Number(c.textContent)));
  check(JSON.stringify(shown) === JSON.stringify(first(ask('node-global-tm', picked))),
    `node ${picked}: panel matrix ${shown} differs from node-global-tm`);

  // Clicking a surface in the view selects it in the tree and the panel.
  // A point of the canvas where a surface is drawn, from a grid over it.
  const target = await page.evaluate(async () => {
    const THREE = await import('three');
    const { viewport } = window.sci;
    const rect = viewport.renderer.domElement.getBoundingClientRect();
    const raycaster = new THREE.Raycaster();
    for (let i = 1; i < 10; ++i)
      for (let j = 1; j < 10; ++j) {
        raycaster.setFromCamera(new THREE.Vector2(i / 5 - 1, j / 5 - 1), viewport.camera);
        const hit = raycaster.intersectObject(viewport.scene, true).find((h) => h.object.userData.surfaceId !== undefined);
        if (hit) return { x: rect.left + (i / 10) * rect.width, y: rect.top + (1 - j / 10) * rect.height };
      }
    return null;
  });
  if (target) {
    await page.mouse.click(target.x, target.y);
    await page.waitForFunction(() => document.querySelector('#panel h3')?.textContent.startsWith('surface'));
    const picked = await page.$eval('#tree .selected', (e) => e.dataset.kind);
    check(picked === 'surface', `a click on the view selected ${picked} in the tree`);
  } else {
    check(first(ask('surface-count')) === 0, 'no surface is drawn anywhere in the view');
  }

  // The console answers as sci does, and as sci --json does with JSON ticked.
  await page.select('#console-query', 'node-child');
  const fields = await page.$$('#console-inputs input');
  for (const field of fields) await field.type('0');
  await page.click('#console button[type=submit]');
  await page.waitForFunction(() => document.querySelector('#console-output').textContent !== '');
  const consoleText = await page.$eval('#console-output', (e) => e.textContent);
  const sciText = spawnSync(sci, [scene, 'node-child', '0', '0'], { encoding: 'utf8' }).stdout;
  check(consoleText === sciText, `console: ${consoleText} against sci: ${sciText}`);
  await page.click('#console-json');
  await page.$eval('#console-output', (e) => { e.textContent = ''; });
  await page.click('#console button[type=submit]');
  await page.waitForFunction(() => document.querySelector('#console-output').textContent !== '');
  const consoleJson = await page.$eval('#console-output', (e) => e.textContent);
  check(consoleJson === ask('node-child', 0, 0).text, `console JSON: ${consoleJson}`);

  // The view is not blank, and changes with the camera.
  const orbit = await pixelDifference(page);
  check(orbit.share > 0.01, `the view is blank (${orbit.share} of pixels drawn)`);
  if (first(ask('camera-count')) > 0) {
    await page.select('#camera-select', '0');
    const moved = await pixelDifference(page, orbit.shot);
    check(moved.share > 0.01, `choosing camera 0 changed ${moved.share} of the pixels`);
    await page.select('#camera-select', '-1');
  }

  const triangles = await page.$eval('#stats', (e) => Number(e.dataset.triangles));
  // The overlay's triangles are the surfaces' own, each surface once.
  const surfaceCount = first(ask('surface-count'));
  const geometryIds = askAll([...Array(surfaceCount).keys()].map((s) => `surface-geometry-id ${s}`));
  const expectedTriangles = askAll(geometryIds.map((g) => `geometry ${g}`))
    .reduce((sum, mesh) => sum + (mesh.primitive_type === 4 ? Math.floor(mesh.indices.length / 3) : 0), 0);
  check(triangles === expectedTriangles, `the overlay counts ${triangles} triangles, the queries ${expectedTriangles}`);
  // Wireframe draws other pixels than filled surfaces, the grid and the
  // boxes draw over the view, and each goes again; framing a node moves the
  // camera; the screenshot is the view as a PNG.
  const guides = [['#grid', 0.0002], ['#scene-box', 0.0002], ['#node-boxes', 0.0002]];
  if (triangles > 0) guides.push(['#wireframe', 0.01], ['#normals', 0.0002]);
  for (const [guide, least] of guides) {
    await page.click(guide);
    const on = await pixelDifference(page, orbit.shot);
    check(on.share > least, `${guide} changed ${on.share} of the pixels`);
    await page.click(guide);
    const off = await pixelDifference(page, orbit.shot);
    check(off.share < 0.001, `${guide} off left ${off.share} of the pixels changed`);
  }
  // Flat shading changes the lit pixels of smooth surfaces only, so it is
  // asked to come back, not to differ.
  await page.click('#flat-shading');
  await page.click('#flat-shading');
  const smooth = await pixelDifference(page, orbit.shot);
  check(smooth.share < 0.001, `flat shading off left ${smooth.share} of the pixels changed`);
  // Two points 5 apart measure 5, shown in the tool bar.
  await page.click('#measure');
  const measured = await page.evaluate(() => {
    const { viewport } = window.sci;
    const start = viewport.orbitCamera.position.clone().set(1, 2, 3);
    viewport.addMeasurePoint(start);
    viewport.addMeasurePoint(start.clone().set(4, 6, 3));
    return document.querySelector('#distance').textContent;
  });
  check(measured.startsWith('distance 5 '), `the measure shows "${measured}"`);
  await page.click('#measure');
  const screenshot = await page.evaluate(() => window.sci.viewport.screenshot());
  check(screenshot.startsWith('data:image/png;base64,iVBOR'), 'the screenshot is no PNG');
  const before = await page.evaluate(() => window.sci.viewport.orbitCamera.position.toArray());
  // A node whose box is the scene's frames as the scene does.
  const framed = await page.evaluate(() => {
    const { viewport } = window.sci;
    const leaf = [...viewport.nodeObjects.keys()].reverse().find((id) => viewport.nodeObjects.get(id).children.some((c) => c.userData.surfaceId !== undefined));
    const nodeBox = viewport.sceneBox().clone().setFromObject(viewport.nodeObjects.get(leaf));
    const sceneBox = viewport.sceneBox();
    viewport.selectNode(leaf);
    viewport.frameSelected();
    const size = sceneBox.min.distanceTo(sceneBox.max);
    return { position: viewport.orbitCamera.position.toArray(),
      sameBox: nodeBox.min.distanceTo(sceneBox.min) + nodeBox.max.distanceTo(sceneBox.max) < 1e-3 * size };
  });
  const moved = framed.position.some((v, i) => Math.abs(v - before[i]) > 1e-6);
  check(framed.sameBox || moved, 'framing the selected node did not move the camera');
  await page.click('#reset-view');
  const reset = await page.evaluate(() => window.sci.viewport.orbitCamera.position.toArray());
  check(reset.every((v, i) => Math.abs(v - before[i]) < 1e-4 * (1 + Math.abs(v))), 'reset did not frame the scene again');
  await page.evaluate(() => window.sci.viewport.selectNode(undefined));

  // Scrubbing moves the animated node, to the matrices of its keys.
  const tracks = await page.evaluate(() => window.sci.animation.tracks.map((t) => ({ node: t.node, keys: t.keys.length })));
  if (tracks.length > 0) {
    const { node } = tracks[0];
    const animation = first(ask('node-animation', node));
    const times = [0, 1].map((k) => first(ask('animation-time', animation, k)));  // seconds
    const matrices = [];
    for (const seconds of times) {
      await page.$eval('#scrub', (scrub, s) => { scrub.value = String(s); scrub.dispatchEvent(new Event('input')); }, seconds);
      matrices.push(await page.evaluate((id) => window.sci.viewport.nodeObjects.get(id).matrix.elements, node));
    }
    check(JSON.stringify(matrices[0]) !== JSON.stringify(matrices[1]), `scrubbing did not move node ${node}`);
    matrices.forEach((m, k) => {
      const expected = first(ask('animation-matrix', animation, k));
      const off = Math.max(...expected.map((v, i) => Math.abs(v - m[i])));
      check(off < 1e-4, `node ${node} at key ${k} is off the key's matrix by ${off}`);
    });
  }

  // A save of the scene file shows in the open page: it reloads with the
  // new scene, the camera where it was.
  if (basename(scene) === 'demo.gltf') {
    const folder = mkdtempSync(join(tmpdir(), 'sci-reload-'));
    const copy = join(folder, 'demo.gltf');
    copyFileSync(scene, copy);
    const second = await serve(copy);
    try {
      const reloading = await browser.newPage();
      check(await opened(reloading, second.url), 'the served copy did not get ready');
      const camera = await reloading.evaluate(() => {
        const { viewport } = window.sci;
        viewport.orbitCamera.position.multiplyScalar(1.5);
        viewport.controls.update();
        return viewport.orbitCamera.position.toArray();
      });
      const boxBefore = await reloading.evaluate(() => window.sci.model.summary.scene_box.max[0]);
      const gltf = JSON.parse(readFileSync(copy, 'utf8'));
      gltf.nodes[1].name = 'SavedAgain';
      gltf.nodes[1].translation = [100, 0.75, 0];  // the table and what it holds move far along X
      writeFileSync(`${copy}.tmp`, JSON.stringify(gltf));
      renameSync(`${copy}.tmp`, copy);
      await reloading.waitForFunction(() => [...document.querySelectorAll('#tree .tree-node')]
        .some((row) => row.textContent.includes('SavedAgain')), { timeout: 15000 });
      await reloading.waitForFunction(() => document.body.dataset.state === 'ready', { timeout: 30000 });
      const after = await reloading.evaluate(() => window.sci.viewport.orbitCamera.position.toArray());
      const drawnMax = await reloading.evaluate(() => {
        const { viewport } = window.sci;
        return viewport.sceneBox().clone().setFromObject(viewport.scene).max.x;
      });
      check(drawnMax > boxBefore + 50, `the reloaded view reaches x = ${drawnMax}, the moved table x = 100`);
      check(after.every((v, i) => Math.abs(v - camera[i]) < 1e-4 * (1 + Math.abs(v))), 'the reload moved the camera');
    } catch (error) {
      check(false, `the page did not follow the saved file: ${error.message}`);
    } finally {
      second.server.kill('SIGINT');
      rmSync(folder, { recursive: true, force: true });
    }
  }
} finally {
  await browser.close();
  server.kill('SIGINT');
}
if (failures.length) {
  console.log(`FAILED on ${scene}:\n  ${failures.join('\n  ')}`);
  process.exit(1);
}
console.log(`passed on ${scene}`);
