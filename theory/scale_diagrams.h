// theory/scale_diagrams: the scale diagram texture.
#pragma once

// PENDING: the scale diagrams; frees the diagram texture.
void FreeScaleDiagramTexture();
