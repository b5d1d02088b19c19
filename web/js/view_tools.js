// The view's tool bar (wireframe, background, grid and axes, scene box, frame
// selected, reset, screenshot) and its statistics overlay: the scene's
// triangles, the draw calls and the time of the last frame.
export function setUpViewTools(viewport, { wireframe, background, grid, sceneBox, frame, reset, screenshot, stats }) {
  for (const control of [wireframe, background, grid, sceneBox, frame, reset, screenshot]) control.disabled = false;
  wireframe.addEventListener('change', () => viewport.setWireframe(wireframe.checked));
  background.addEventListener('change', () => viewport.setBackground(background.value));
  const guides = () => viewport.setGuides({ grid: grid.checked, sceneBox: sceneBox.checked });
  grid.addEventListener('change', guides);
  sceneBox.addEventListener('change', guides);
  frame.addEventListener('click', () => viewport.frameSelected());
  reset.addEventListener('click', () => {
    viewport.useCamera(-1);
    viewport.frame();
  });
  screenshot.addEventListener('click', () => {
    const link = document.createElement('a');
    link.href = viewport.screenshot();
    link.download = 'view.png';
    link.click();
  });
  // F frames the selection, as in modelling tools; not while typing.
  document.addEventListener('keydown', (event) => {
    if (event.key !== 'f' || event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.target.closest?.('input, textarea, select')) return;
    viewport.frameSelected();
  });
  viewport.onRender = ({ triangles, drawCalls, frameMs }) => {
    stats.dataset.triangles = triangles;
    stats.textContent = `${triangles.toLocaleString('en')} triangles, ${drawCalls} draw calls, ${frameMs.toFixed(1)} ms`;
  };
}
