// Animation playback from the scene's key lists: every animated node's local
// matrix follows its keys at their real times (play, pause, scrub).
import * as THREE from 'three';

const kTicksPerSecond = 4800;

// The node's local transform at `seconds`, between the keys around it.
function transformAt(keys, seconds) {
  const ticks = seconds * kTicksPerSecond;
  let next = keys.findIndex((k) => k.time >= ticks);
  if (next < 0) next = keys.length - 1;
  const previous = Math.max(next - 1, 0);
  const a = keys[previous], b = keys[next];
  const t = b.time > a.time ? Math.min(Math.max((ticks - a.time) / (b.time - a.time), 0), 1) : 0;
  const position = new THREE.Vector3(...a.position).lerp(new THREE.Vector3(...b.position), t);
  const scale = new THREE.Vector3(...a.scale).lerp(new THREE.Vector3(...b.scale), t);
  const rotation = new THREE.Quaternion(...a.rotation).slerp(new THREE.Quaternion(...b.rotation), t);
  return new THREE.Matrix4().compose(position, rotation, scale);
}

export class AnimationPlayer {
  constructor(model, viewport, controls) {
    this.viewport = viewport;
    this.tracks = model.nodes.filter((n) => n.animation !== null && model.animations.get(n.animation)?.length)
      .map((n) => ({ node: n.id, keys: model.animations.get(n.animation) }));
    this.duration = Math.max(0, ...this.tracks.flatMap((t) => t.keys.map((k) => k.time))) / kTicksPerSecond;
    this.controls = controls;
    this.playing = false;
    const { play, scrub } = controls;
    play.disabled = scrub.disabled = this.tracks.length === 0;
    scrub.max = String(this.duration);
    play.addEventListener('click', () => (this.playing ? this.pause() : this.play()));
    scrub.addEventListener('input', () => { this.pause(); this.seek(Number(scrub.value)); });
  }

  seek(seconds) {
    this.time = seconds;
    for (const track of this.tracks) this.viewport.nodeObjects.get(track.node)?.matrix.copy(transformAt(track.keys, seconds));
    this.controls.scrub.value = String(seconds);
    this.controls.time.textContent = `${seconds.toFixed(3)} s`;
    this.viewport.render();
  }

  play() {
    if (this.duration <= 0) return;
    this.playing = true;
    this.controls.play.textContent = 'Pause';
    const start = performance.now() / 1000 - (this.time ?? 0);
    const step = () => {
      if (!this.playing) return;
      this.seek((performance.now() / 1000 - start) % this.duration);
      requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
  }

  pause() {
    this.playing = false;
    this.controls.play.textContent = 'Play';
  }
}
