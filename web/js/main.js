// The inspector page: loads the scene's description, builds the view, the
// tree, the panel, the console and the animation controls, and links them.
import { loadSceneModel } from './scene_model.js';
import { Viewport } from './viewport.js';
import { Tree } from './tree.js';
import { Panel } from './panel.js';
import { setUpConsole } from './console.js';
import { AnimationPlayer } from './animation.js';
import { setUpViewTools } from './view_tools.js';
import { getJson } from './api.js';

const $ = (selector) => document.querySelector(selector);

async function start() {
  const consoleReady = setUpConsole($('#console'));
  // Asked before the scene, so that a save while the page loads is seen.
  const { generation } = await getJson('/api/changes');
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
    wireframe: $('#wireframe'), flat: $('#flat-shading'), normals: $('#normals'), background: $('#background'),
    grid: $('#grid'), sceneBox: $('#scene-box'), nodeBoxes: $('#node-boxes'), frame: $('#frame-selected'),
    reset: $('#reset-view'), measure: $('#measure'), distance: $('#distance'), screenshot: $('#screenshot'),
    stats: $('#stats'),
  });

  const cameras = $('#camera-select');
  for (const camera of model.cameras) cameras.append(new Option(camera.name || `camera ${camera.id}`, camera.id));
  cameras.addEventListener('change', () => viewport.useCamera(Number(cameras.value)));
  const animation = new AnimationPlayer(model, viewport, { play: $('#play'), scrub: $('#scrub'), time: $('#time') });
  await consoleReady;

  restoreView(viewport, model, select);
  viewport.render();
  window.sci = { model, viewport, tree, panel, animation };
  followChanges(viewport, generation);
  $('#status').textContent = '';
  document.body.dataset.state = 'ready';
  // The first complete frame is on screen once the browser has painted it.
  requestAnimationFrame(() => window.sciFirstFrame?.());
}

const kViewKey = 'sci-view';

// After a reload for a changed file: the camera where it was, and the
// selected node again when it still exists.
function restoreView(viewport, model, select) {
  const saved = JSON.parse(sessionStorage.getItem(kViewKey) ?? 'null');
  sessionStorage.removeItem(kViewKey);
  if (!saved) return;
  viewport.orbitCamera.position.fromArray(saved.position);
  viewport.controls.target.fromArray(saved.target);
  viewport.controls.update();
  if (model.nodes.some((node) => node.id === saved.node)) select('node', saved.node, saved.node);
}

// Asks the server every second whether the scene file changed; reloads the
// page when it was read again, and shows the error when it no longer reads.
function followChanges(viewport, known) {
  const ask = async () => {
    const { generation, error } = await getJson('/api/changes');
    if (generation !== known) {
      sessionStorage.setItem(kViewKey, JSON.stringify({
        position: viewport.orbitCamera.position.toArray(), target: viewport.controls.target.toArray(),
        node: viewport.selectedNode ?? null,
      }));
      window.location.reload();
      return;
    }
    $('#status').textContent = error ? `the file no longer reads; showing the last good scene: ${error}` : '';
  };
  setInterval(() => ask().catch(() => {}), 1000);
}

function fail(error) {
  $('#status').textContent = error.message;
  document.body.dataset.state = 'error';
  console.error(error);
}

start().catch(fail);
