// The side panel: every answer the server has about the selected node,
// surface, camera or light, each under the query that gave it.
import { batch, textureUrl } from './api.js';

const kNodeQueries = ['node-name', 'node-note', 'parent-node', 'node-local-tm', 'node-global-tm', 'node-animation',
  'node-child-count', 'node-surface-count', 'node-camera-count', 'node-light-count'];
const kCameraQueries = ['camera-name', 'camera-node-id', 'camera-fov-x', 'camera-fov-y', 'camera-near-z',
  'camera-far-z', 'camera-offset-matrix'];
const kLightQueries = ['light-name', 'light-type', 'light-node-id', 'light-offset-matrix', 'light-diffuse',
  'light-ambient', 'light-specular', 'light-attenuation', 'light-range', 'light-theta', 'light-phi',
  'light-shadow-cast', 'light-shadow-density'];
const kSurfaceQueries = ['surface-geometry-id', 'surface-material-id', 'surface-node-id', 'surface-texture-count'];
const kMapQueries = ['surface-texture-id', 'surface-texture-type', 'surface-texture-uv-set', 'surface-texture-amount',
  'surface-texture-matrix'];
const kMaterialQueries = ['material-name', 'material', 'material-as-xml', 'material-surface-count'];
const kGeometryQueries = ['geometry-vertex-count', 'geometry-bounding-box'];

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function matrixTable(values) {
  const table = element('table', 'matrix');
  for (let row = 0; row < 4; ++row) {
    const tr = table.insertRow();
    for (let column = 0; column < 4; ++column) tr.insertCell().textContent = String(values[row * 4 + column]);
  }
  return table;
}

function valueView(value) {
  if (Array.isArray(value) && value.length === 16 && value.every((v) => typeof v === 'number')) return matrixTable(value);
  if (typeof value === 'string' && (value.includes('\n') || value.startsWith('<'))) return element('pre', '', value);
  if (value !== null && typeof value === 'object' && !Array.isArray(value))
    return element('pre', '', JSON.stringify(value, null, 1));
  return element('span', 'value', JSON.stringify(value));
}

function answerView(request, answer) {
  const view = element('div', 'answer');
  view.dataset.query = request[0];
  view.append(element('div', 'query', request.join(' ')));
  if (answer.error) view.append(element('div', 'messages', answer.error));
  for (const [label, value] of Object.entries(answer.outputs ?? {})) {
    const line = element('div');
    line.append(element('span', 'label', `${label}: `), valueView(value));
    view.append(line);
  }
  if (answer.messages?.length) view.append(element('div', 'messages', answer.messages.join(' ')));
  return view;
}

export class Panel {
  constructor(container, model) {
    this.container = container;
    this.model = model;
    this.shown = 0;
  }

  async show(kind, id) {
    const ticket = ++this.shown;
    const requests = this.requests(kind, id);
    const answers = await batch(requests);
    if (ticket !== this.shown) return;  // a later selection won
    const title = element('h3', '', `${kind} ${id}`);
    this.container.replaceChildren(title, ...requests.map((r, i) => answerView(r, answers[i])));
    if (kind === 'surface') this.showImages(id);
  }

  requests(kind, id) {
    const each = (queries, ...inputs) => queries.map((q) => [q, ...inputs]);
    if (kind === 'node') return each(kNodeQueries, id);
    if (kind === 'camera') return each(kCameraQueries, id);
    if (kind === 'light') return each(kLightQueries, id);
    const surface = this.surface(id);
    const requests = each(kSurfaceQueries, id);
    surface?.maps.forEach((_, number) => requests.push(...each(kMapQueries, id, number)));
    if (surface) requests.push(...each(kMaterialQueries, surface.material), ...each(kGeometryQueries, surface.geometry));
    return requests;
  }

  surface(id) {
    for (const node of this.model.nodes) {
      const surface = node.surfaces.find((s) => s.id === id);
      if (surface) return surface;
    }
    return undefined;
  }

  // Thumbnails of the surface's textures that have an image the browser
  // shows; for the others, a line saying why the view draws a checker.
  showImages(id) {
    for (const map of this.surface(id)?.maps ?? []) {
      const texture = this.model.textures[map.texture];
      if (texture && !texture.type?.startsWith('image/')) {
        this.container.append(element('div', 'messages texture-missing',
          `${map.type}: ${texture.path} is drawn as a checker: ${texture.missing ?? 'the browser cannot show it'}`));
        continue;
      }
      if (!texture) continue;
      const figure = element('figure');
      const image = element('img');
      image.src = textureUrl(map.texture);
      image.alt = texture.path;
      figure.append(image, element('figcaption', '', `${map.type}: ${texture.path}`));
      this.container.append(figure);
    }
  }
}
