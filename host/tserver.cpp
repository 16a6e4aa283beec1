// The game host core.
