
export default class QuenlowExtension extends Extension {
    enable() {
        this._placer = new WindowPlacer();
        this._placer.enable();
    }

    disable() {
        this._placer?.disable();
        this._placer = null;
    }
}
