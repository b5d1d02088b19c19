// The view's tool bar (wireframe, background) and its statistics overlay:
// the scene's triangles, the draw calls and the time of the last frame.
export function setUpViewTools(viewport, { wireframe, background, stats }) {
  wireframe.disabled = background.disabled = false;
  wireframe.addEventListener('change', () => viewport.setWireframe(wireframe.checked));
  background.addEventListener('change', () => viewport.setBackground(background.value));
  viewport.onRender = ({ triangles, drawCalls, frameMs }) => {
    stats.dataset.triangles = triangles;
    stats.textContent = `${triangles.toLocaleString('en')} triangles, ${drawCalls} draw calls, ${frameMs.toFixed(1)} ms`;
  };
}
