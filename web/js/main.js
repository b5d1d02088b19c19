// The inspector page: loads the scene's description, builds the view, the
// tree, the panel, the console and the animation controls, and links them.
import { loadSceneModel } from './scene_model.js';
import { Viewport } from './viewport.js';
import { Tree } from './tree.js';
import { Panel } from './panel.js';
import { setUpConsole } from './console.js';
import { AnimationPlayer } from './animation.js';
import { setUpViewTools } from './view_tools.js';

const $ = (selector) => document.querySelector(selector);

async function start() {
  const consoleReady = setUpConsole($('#console'));
  const model = await loadSceneModel();
  const { summary } = model;
  $('#scene-name').textContent = summary.scene.split('/').pop();
  $('#scene-name').title = summary.scene;
  $('#scene-counts').textContent = Object.entries(summary.counts).map(([k, v]) => `${v} ${k}`).join(', ');
  document.title = `${$('#scene-name').textContent} - sci inspector`;

  const panel = new Panel($('#panel'), model);
  let tree = null;
  const select = (kind, id, nodeId) => {
    tree?.select(kind, id, nodeId);
    viewport.selectNode(nodeId);
    panel.show(kind, id).catch(fail);
  };
  const viewport = new Viewport($('#viewport'), model, (nodeId, surfaceId) => select('surface', surfaceId, nodeId));
  tree = new Tree($('#tree'), model.tree, select);
  await viewport.build();
  setUpViewTools(viewport, {
    wireframe: $('#wireframe'), background: $('#background'), grid: $('#grid'), sceneBox: $('#scene-box'),
    frame: $('#frame-selected'), reset: $('#reset-view'), screenshot: $('#screenshot'), stats: $('#stats'),
  });

  const cameras = $('#camera-select');
  for (const camera of model.cameras) cameras.append(new Option(camera.name || `camera ${camera.id}`, camera.id));
  cameras.addEventListener('change', () => viewport.useCamera(Number(cameras.value)));
  const animation = new AnimationPlayer(model, viewport, { play: $('#play'), scrub: $('#scrub'), time: $('#time') });
  await consoleReady;

  viewport.render();
  window.sci = { model, viewport, tree, panel, animation };
  $('#status').textContent = '';
  document.body.dataset.state = 'ready';
  // The first complete frame is on screen once the browser has painted it.
  requestAnimationFrame(() => window.sciFirstFrame?.());
}

function fail(error) {
  $('#status').textContent = error.message;
  document.body.dataset.state = 'error';
  console.error(error);
}

start().catch(fail);
