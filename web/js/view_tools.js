// The view's tool bar (wireframe, flat shading, normals, background, grid and
// axes, scene and node boxes, frame selected, reset, distance, screenshot)
// and its statistics overlay: the scene's triangles, the draw calls and the
// time of the last frame.
export function setUpViewTools(viewport, {
  wireframe, flat, normals, background, grid, sceneBox, nodeBoxes, frame, reset, measure, distance, screenshot, stats,
}) {
  for (const control of [wireframe, flat, normals, background, grid, sceneBox, nodeBoxes, frame, reset, measure, screenshot])
    control.disabled = false;
  flat.addEventListener('change', () => viewport.setFlatShading(flat.checked));
  const overlays = () => viewport.setOverlays({ normals: normals.checked, nodeBoxes: nodeBoxes.checked });
  normals.addEventListener('change', overlays);
  nodeBoxes.addEventListener('change', overlays);
  measure.addEventListener('change', () => {
    viewport.setMeasuring(measure.checked);
    distance.textContent = measure.checked ? 'pick two points' : '';
  });
  viewport.onMeasure = (length) => {
    distance.textContent = `distance ${Number(length.toPrecision(6))} (the file's units)`;
  };
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
