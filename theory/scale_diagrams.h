// theory/scale_diagrams: the scale diagram texture.
#pragma once

// PENDING: the scale diagrams; frees the diagram texture.
void FreeScaleDiagramTexture();
// PENDING: the scale diagrams; loads the diagram of the shown mode and key when they changed.
void UpdateScaleDiagram();
