// The chat view.
