// What the viewport needs of the scene, asked of the server in a few round
// trips: the summary, the node tree, then one batch of queries for matrices,
// materials, cameras, lights and animations.
import { batch, firstOutput, getJson } from './api.js';

// The tree's nodes in pre-order, each with its parent's ID (-1 for the root).
function flatten(root) {
  const nodes = [];
  const stack = root ? [[root, -1]] : [];
  while (stack.length) {
    const [node, parent] = stack.pop();
    nodes.push({ ...node, parent });
    for (let i = node.children.length - 1; i >= 0; --i) stack.push([node.children[i], node.id]);
  }
  return nodes;
}

// Runs every {query, take} of `requests` in one batch; `take` gets the answer.
async function ask(requests) {
  const answers = await batch(requests.map((r) => r.query));
  answers.forEach((answer, i) => {
    if (answer.error) throw new Error(`${requests[i].query.join(' ')}: ${answer.error}`);
    requests[i].take(answer);
  });
}

export async function loadSceneModel() {
  const [summary, treeDocument, textures] = await Promise.all([
    getJson('/api/summary'), getJson('/api/tree'), getJson('/api/textures')]);
  const nodes = flatten(treeDocument.tree);
  const counts = summary.counts;
  const range = (n) => Array.from({ length: n }, (_, i) => i);
  const model = {
    summary, tree: treeDocument.tree, nodes, textures,
    localMatrices: new Map(), materials: [], cameras: [], lights: [], animations: new Map(),
  };
  const requests = [];
  const add = (query, take) => requests.push({ query, take });
  for (const node of nodes) add(['node-local-tm', node.id], (a) => model.localMatrices.set(node.id, firstOutput(a)));
  for (const id of range(counts.materials)) add(['material', id], (a) => { model.materials[id] = firstOutput(a); });
  const fields = (kind, id, queries) => {
    const record = { id };
    for (const [field, query] of Object.entries(queries)) add([query, id], (a) => { record[field] = firstOutput(a); });
    model[kind].push(record);
  };
  for (const id of range(counts.cameras))
    fields('cameras', id, { name: 'camera-name', fovY: 'camera-fov-y', near: 'camera-near-z', far: 'camera-far-z',
      offset: 'camera-offset-matrix', node: 'camera-node-id' });
  for (const id of range(counts.lights))
    fields('lights', id, { name: 'light-name', type: 'light-type', diffuse: 'light-diffuse',
      offset: 'light-offset-matrix', phi: 'light-phi', node: 'light-node-id' });
  for (const node of nodes)
    if (node.animation !== null && node.animation >= 0 && !model.animations.has(node.animation)) {
      model.animations.set(node.animation, null);
      add(['animation', node.animation], (a) => model.animations.set(node.animation, firstOutput(a).keys));
    }
  await ask(requests);
  return model;
}
