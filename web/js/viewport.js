// The 3D view: every surface of the scene under its node, with its
// material's diffuse colour and texture, lit by the scene's lights (or a
// default rig), seen from an orbiting camera or one of the scene's cameras.
import * as THREE from 'three';
import { OrbitControls } from '../vendor/OrbitControls.js';
import { VertexNormalsHelper } from '../vendor/VertexNormalsHelper.js';
import { geometries as fetchGeometries, textureUrl } from './api.js';

// A row-major matrix of row vectors, read column-major, is the same
// transform for column vectors.
const matrixOf = (values) => new THREE.Matrix4().fromArray(values);
const colorOf = ([r, g, b]) => new THREE.Color().setRGB(r, g, b);
const kShownImageTypes = new Set(['image/png', 'image/jpeg', 'image/gif', 'image/webp', 'image/bmp']);
const kGeometriesPerRequest = 64;
const kLightPoint = 1, kLightSpot = 2, kLightDirectional = 3, kLightAmbient = 4;
const kBackgrounds = { dark: 0x30343a, light: 0xe8e8e8 };

// Wire markers that show where a camera or light sits and where it points
// (along its -Z axis), `size` long.
function marker(kind, size) {
  const s = size, points = kind === 'camera'
    ? [[0, 0, 0], [-s / 2, -s / 3, -s], [0, 0, 0], [s / 2, -s / 3, -s], [0, 0, 0], [s / 2, s / 3, -s], [0, 0, 0],
      [-s / 2, s / 3, -s], [-s / 2, -s / 3, -s], [s / 2, -s / 3, -s], [s / 2, -s / 3, -s], [s / 2, s / 3, -s],
      [s / 2, s / 3, -s], [-s / 2, s / 3, -s], [-s / 2, s / 3, -s], [-s / 2, -s / 3, -s]]
    : [[-s / 4, 0, 0], [s / 4, 0, 0], [0, -s / 4, 0], [0, s / 4, 0], [0, 0, s / 4], [0, 0, -s]];
  const geometry = new THREE.BufferGeometry().setFromPoints(points.map((p) => new THREE.Vector3(...p)));
  return new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ color: kind === 'camera' ? 0x7fd4ff : 0xffe066 }));
}

// The image drawn where a texture cannot be: a grey checker, plain enough
// that nobody takes it for the scene's own.
function checkerTexture() {
  const size = 8, data = new Uint8Array(size * size * 4);
  for (let i = 0; i < size * size; ++i) {
    const light = ((i % size) + Math.floor(i / size)) % 2 === 0;
    data.set(light ? [200, 200, 200, 255] : [90, 90, 90, 255], i * 4);
  }
  const texture = new THREE.DataTexture(data, size, size);
  texture.magFilter = THREE.NearestFilter;
  texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
  texture.repeat.set(4, 4);
  texture.needsUpdate = true;
  return texture;
}

function bufferGeometry({ positions, normals, uvs, indices }) {
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
  if (normals.some((n) => n !== 0)) geometry.setAttribute('normal', new THREE.BufferAttribute(normals, 3));
  uvs.slice(0, 4).forEach((uv, set) => geometry.setAttribute(set === 0 ? 'uv' : `uv${set}`, new THREE.BufferAttribute(uv, 2)));
  if (indices.length) geometry.setIndex(new THREE.BufferAttribute(indices, 1));
  return geometry;
}

export class Viewport {
  constructor(container, model, onPick) {
    this.container = container;
    this.model = model;
    this.onPick = onPick;
    this.renderer = new THREE.WebGLRenderer({ antialias: true });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    container.appendChild(this.renderer.domElement);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(kBackgrounds.dark);
    this.orbitCamera = new THREE.PerspectiveCamera(45, 1, 0.01, 1000);
    this.camera = this.orbitCamera;
    this.controls = new OrbitControls(this.orbitCamera, this.renderer.domElement);
    this.controls.addEventListener('change', () => this.render());
    this.nodeObjects = new Map();
    this.sceneCameras = [];
    this.highlight = null;
    this.surfaceMaterials = new Set();
    // What the last frame drew and how long it took, for the statistics overlay.
    this.stats = { triangles: 0, drawCalls: 0, frameMs: 0 };
    this.triangles = 0;
    this.countedSurfaces = new Set();
    this.onRender = null;
    const { min, max } = model.summary.scene_box;
    this.markerSize = new THREE.Vector3(...max).distanceTo(new THREE.Vector3(...min)) * 0.05 || 0.2;
    new ResizeObserver(() => this.resize()).observe(container);
    this.listenForPicks();
  }

  // Builds the scene graph once: nodes, surfaces, lights and cameras. Resolves
  // when every geometry and texture has arrived.
  async build() {
    const { model } = this;
    const textures = new Map();
    const materials = new Map();
    for (const node of model.nodes) {
      const object = new THREE.Object3D();
      object.name = node.name;
      object.matrixAutoUpdate = false;
      object.matrix.copy(matrixOf(model.localMatrices.get(node.id)));
      object.userData.nodeId = node.id;
      this.nodeObjects.set(node.id, object);
      (node.parent < 0 ? this.scene : this.nodeObjects.get(node.parent)).add(object);
    }
    // Every geometry, a few requests at a time (the browser runs six at once).
    const count = model.summary.counts.geometries;
    const chunks = [];
    for (let first = 0; first < count; first += kGeometriesPerRequest)
      chunks.push(fetchGeometries(first, Math.min(kGeometriesPerRequest, count - first)));
    const geometryOf = async (id) => {
      const geometry = (await chunks[Math.floor(id / kGeometriesPerRequest)])[id % kGeometriesPerRequest];
      geometry.buffer ??= bufferGeometry(geometry);
      return geometry;
    };
    // A texture that is missing or cannot be decoded is drawn as a checker
    // (the panel says why), also when its image fails to load.
    let checker;
    const textureOf = (id) => {
      if (!textures.has(id)) {
        const shown = kShownImageTypes.has(model.textures[id]?.type);
        textures.set(id, !shown ? Promise.resolve(checker ??= checkerTexture())
          : new THREE.TextureLoader().loadAsync(textureUrl(id)).then((texture) => {
            texture.colorSpace = THREE.SRGBColorSpace;
            texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
            return texture;
          }, () => (checker ??= checkerTexture())));
      }
      return textures.get(id);
    };
    const pending = [];
    for (const node of model.nodes)
      for (const surface of node.surfaces)
        pending.push(this.addSurface(node, surface, geometryOf, textureOf, materials));
    await Promise.all(pending);
    this.addLights();
    this.addCameras();
    this.frame();
  }

  async addSurface(node, surface, geometryOf, textureOf, materials) {
    const map = surface.maps.find((m) => (m.type === 'diffuse' || m.type === 'basecolor') && m.texture !== null &&
      m.uv_set < 4);
    const [geometry, texture] = await Promise.all([geometryOf(surface.geometry), map ? textureOf(map.texture) : null]);
    const key = `${geometry.primitiveType}/${surface.material}/${map?.texture}/${map?.uv_set}`;
    if (!materials.has(key)) materials.set(key, this.material(geometry.primitiveType, surface.material, texture, map));
    const material = materials.get(key);
    this.surfaceMaterials.add(material);
    // Each surface counts once, however many nodes list it.
    if (geometry.primitiveType === 4 && !this.countedSurfaces.has(surface.id)) {
      this.countedSurfaces.add(surface.id);
      const index = geometry.buffer.getIndex();
      this.triangles += Math.floor((index ? index.count : geometry.buffer.getAttribute('position').count) / 3);
    }
    const object = geometry.primitiveType === 1 ? new THREE.Points(geometry.buffer, material)
      : geometry.primitiveType === 2 ? new THREE.LineSegments(geometry.buffer, material)
        : new THREE.Mesh(geometry.buffer, material);
    if (geometry.primitiveType === 4 && !geometry.buffer.getAttribute('normal')) geometry.buffer.computeVertexNormals();
    object.userData = { nodeId: node.id, surfaceId: surface.id };
    this.nodeObjects.get(node.id).add(object);
  }

  material(primitiveType, materialId, texture, map) {
    const source = this.model.materials[materialId];
    const color = source ? colorOf(source.diffuse) : new THREE.Color(0xcccccc);
    const opacity = source?.opacity ?? 1;
    if (primitiveType === 1) return new THREE.PointsMaterial({ color, size: 3, sizeAttenuation: false });
    if (primitiveType === 2) return new THREE.LineBasicMaterial({ color });
    if (texture) {
      texture = texture.clone();
      texture.channel = map.uv_set;
    }
    return new THREE.MeshLambertMaterial({
      color, map: texture, emissive: source ? colorOf(source.emissive) : 0, side: THREE.DoubleSide,
      transparent: opacity < 1, opacity,
    });
  }

  addLights() {
    let lit = false;
    for (const light of this.model.lights) {
      const node = this.nodeObjects.get(light.node);
      if (!node) continue;
      const color = colorOf(light.diffuse);
      const strength = Math.max(color.r, color.g, color.b, 1e-6);
      color.multiplyScalar(1 / Math.max(strength, 1));
      let object;
      if (light.type === kLightDirectional) object = new THREE.DirectionalLight(color, 2);
      else if (light.type === kLightSpot) object = new THREE.SpotLight(color, 2, 0, Math.min(light.phi / 2, Math.PI / 2), 0.2, 0);
      else if (light.type === kLightPoint) object = new THREE.PointLight(color, 2, 0, 0);
      else if (light.type === kLightAmbient) object = new THREE.AmbientLight(color, 0.5);
      else continue;
      // The light's frame: it shines along its -Z axis.
      const frame = new THREE.Object3D();
      frame.matrixAutoUpdate = false;
      frame.matrix.copy(matrixOf(light.offset));
      frame.add(object);
      if (object.target) {
        object.target.position.set(0, 0, -1);
        frame.add(object.target);
      }
      frame.add(marker('light', this.markerSize));
      node.add(frame);
      lit = true;
    }
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x444444, lit ? 0.6 : 1.5));
    if (!lit) {
      const sun = new THREE.DirectionalLight(0xffffff, 2);
      sun.position.set(1, 2, 1.5);
      this.scene.add(sun);
    }
  }

  addCameras() {
    for (const camera of this.model.cameras) {
      const node = this.nodeObjects.get(camera.node);
      const fov = THREE.MathUtils.radToDeg(camera.fovY) || 45;
      const near = camera.near > 0 ? camera.near : 0.01;
      const object = new THREE.PerspectiveCamera(fov, 1, near, camera.far > near ? camera.far : near * 1e4);
      // The camera's frame, like three.js cameras, looks along -Z with +Y up.
      object.matrixAutoUpdate = false;
      object.matrix.copy(matrixOf(camera.offset));
      object.add(marker('camera', this.markerSize));
      (node ?? this.scene).add(object);
      this.sceneCameras.push(object);
    }
  }

  // The scene's bounding box as the file gives it, or as drawn when that is empty.
  sceneBox() {
    const { min, max } = this.model.summary.scene_box;
    const box = new THREE.Box3(new THREE.Vector3(...min), new THREE.Vector3(...max));
    if (box.isEmpty() || box.min.equals(box.max)) box.setFromObject(this.scene);
    return box;
  }

  // Points the orbiting camera at `box` (the whole scene when absent).
  frame(box = this.sceneBox()) {
    const center = box.getCenter(new THREE.Vector3());
    const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 1e-3);
    const distance = radius / Math.sin(THREE.MathUtils.degToRad(this.orbitCamera.fov / 2));
    this.orbitCamera.near = distance / 1000;
    this.orbitCamera.far = distance * 100;
    this.orbitCamera.position.copy(center).add(new THREE.Vector3(0.6, 0.5, 1).normalize().multiplyScalar(distance));
    this.controls.target.copy(center);
    this.controls.update();
    this.resize();
  }

  // -1 for the orbiting camera, else a camera ID.
  useCamera(index) {
    this.camera = index < 0 ? this.orbitCamera : this.sceneCameras[index];
    // A camera's own marker would sit in front of its lens.
    for (const camera of this.sceneCameras) camera.children[0].visible = camera !== this.camera;
    this.controls.enabled = index < 0;
    this.resize();
  }

  // Frames the selected node, or the whole scene when none is selected.
  frameSelected() {
    const object = this.nodeObjects.get(this.selectedNode);
    const box = object ? new THREE.Box3().setFromObject(object) : null;
    this.useCamera(-1);
    this.frame(box && !box.isEmpty() ? box : undefined);
  }

  // A grid on the scene's floor with the axes at the origin (X red, Y green,
  // Z blue), and the scene's box in white; each on or off.
  setGuides({ grid, sceneBox }) {
    if (grid && !this.grid) {
      const box = this.sceneBox();
      const size = Math.max(box.getSize(new THREE.Vector3()).length(), 1e-3);
      this.grid = new THREE.Group();
      const floor = new THREE.GridHelper(size * 2, 20, 0x888888, 0x555555);
      floor.position.y = box.min.y;
      this.grid.add(floor, new THREE.AxesHelper(size / 2));
    }
    if (sceneBox && !this.boxHelper) this.boxHelper = new THREE.Box3Helper(this.sceneBox(), 0xffffff);
    for (const [helper, on] of [[this.grid, grid], [this.boxHelper, sceneBox]]) {
      if (!helper) continue;
      if (on) this.scene.add(helper);
      else this.scene.remove(helper);
    }
    this.render();
  }

  // Faces shaded flat (one normal a face) or smooth (the file's normals).
  setFlatShading(on) {
    for (const material of this.surfaceMaterials)
      if (material.isMeshLambertMaterial) {
        material.flatShading = on;
        material.needsUpdate = true;
      }
    this.render();
  }

  // Each vertex normal of the triangle surfaces as a short line, and a box
  // around each node that holds surfaces; each on or off.
  setOverlays({ normals, nodeBoxes }) {
    if (normals && !this.normalLines) {
      this.normalLines = new THREE.Group();
      this.scene.updateMatrixWorld(true);
      this.scene.traverse((object) => {
        if (object.isMesh && object.userData.surfaceId !== undefined && object.geometry.getAttribute('normal'))
          this.normalLines.add(new VertexNormalsHelper(object, this.markerSize * 0.3, 0x4fc3f7));
      });
    }
    if (nodeBoxes && !this.nodeBoxes) {
      this.nodeBoxes = new THREE.Group();
      for (const object of this.nodeObjects.values())
        if (object.children.some((child) => child.userData.surfaceId !== undefined))
          this.nodeBoxes.add(new THREE.BoxHelper(object, 0x9ccc65));
    }
    for (const [group, on] of [[this.normalLines, normals], [this.nodeBoxes, nodeBoxes]]) {
      if (!group) continue;
      if (on) this.scene.add(group);
      else this.scene.remove(group);
    }
    this.render();
  }

  // While measuring, picks are points: each second one closes a segment,
  // drawn as a line, and its length (in the file's units) goes to onMeasure.
  setMeasuring(on) {
    this.measuring = on;
    this.measureStart = null;
    if (!on && this.measureLine) {
      this.scene.remove(this.measureLine);
      this.measureLine = null;
      this.render();
    }
  }

  addMeasurePoint(point) {
    if (!this.measureStart) {
      this.measureStart = point.clone();
      return;
    }
    if (this.measureLine) this.scene.remove(this.measureLine);
    const geometry = new THREE.BufferGeometry().setFromPoints([this.measureStart, point]);
    this.measureLine = new THREE.Line(geometry, new THREE.LineBasicMaterial({ color: 0xff5252, depthTest: false }));
    this.scene.add(this.measureLine);
    const distance = this.measureStart.distanceTo(point);
    this.measureStart = null;
    this.render();
    this.onMeasure?.(distance);
  }

  // The view as it is drawn now, as a PNG data URL.
  screenshot() {
    this.render();
    return this.renderer.domElement.toDataURL('image/png');
  }

  selectNode(nodeId) {
    this.selectedNode = nodeId;
    if (this.highlight) this.scene.remove(this.highlight);
    this.highlight = null;
    const object = this.nodeObjects.get(nodeId);
    if (object && new THREE.Box3().setFromObject(object).isEmpty() === false) {
      this.highlight = new THREE.BoxHelper(object, 0xffd400);
      this.scene.add(this.highlight);
    }
    this.render();
  }

  listenForPicks() {
    const canvas = this.renderer.domElement;
    canvas.addEventListener('dblclick', () => this.frameSelected());
    let down = null;
    canvas.addEventListener('pointerdown', (e) => { down = [e.clientX, e.clientY]; });
    canvas.addEventListener('pointerup', (e) => {
      if (!down || Math.hypot(e.clientX - down[0], e.clientY - down[1]) > 4) return;
      const rect = canvas.getBoundingClientRect();
      const pointer = new THREE.Vector2(((e.clientX - rect.left) / rect.width) * 2 - 1,
        -((e.clientY - rect.top) / rect.height) * 2 + 1);
      const raycaster = new THREE.Raycaster();
      raycaster.setFromCamera(pointer, this.camera);
      const hit = raycaster.intersectObject(this.scene, true).find((h) => h.object.userData.surfaceId !== undefined);
      if (hit && this.measuring) this.addMeasurePoint(hit.point);
      else if (hit) this.onPick(hit.object.userData.nodeId, hit.object.userData.surfaceId);
    });
  }

  resize() {
    const { clientWidth: width, clientHeight: height } = this.container;
    if (!width || !height) return;
    this.renderer.setSize(width, height, false);
    for (const camera of [this.orbitCamera, ...this.sceneCameras]) {
      camera.aspect = width / height;
      camera.updateProjectionMatrix();
    }
    this.render();
  }

  // Draws the triangle surfaces as their edges only, or filled again.
  setWireframe(on) {
    for (const material of this.surfaceMaterials) if (material.isMeshLambertMaterial) material.wireframe = on;
    this.render();
  }

  setBackground(name) {
    this.scene.background.setHex(kBackgrounds[name]);
    this.render();
  }

  render() {
    this.highlight?.update();
    const start = performance.now();
    this.renderer.render(this.scene, this.camera);
    // The triangles of every triangle surface, whether drawn filled, as edges or off screen.
    this.stats = { triangles: this.triangles, drawCalls: this.renderer.info.render.calls, frameMs: performance.now() - start };
    this.onRender?.(this.stats);
  }
}
