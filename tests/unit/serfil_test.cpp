// Tests of this topic are being written.
