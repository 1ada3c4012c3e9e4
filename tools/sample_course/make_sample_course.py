#!/usr/bin/env python3
"""Writes the bundled sample course: sample-content/Data/xml/unit.xml and hanzi1.xml to
hanzi12.xml.

Every book of the catalogue with the group captions the character tables use, two lessons
a group with real lesson titles of that grade, and each lesson's new characters (and a few
words) with their tone-marked pinyin, all in NFC. hanzi1.xml is written in GB2312 with a
matching declaration, as the installed course ships its character files; the rest in UTF-8.

Run from anywhere:  python3 tools/sample_course/make_sample_course.py
"""
import os
import unicodedata
from xml.sax.saxutils import quoteattr

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "sample-content", "Data", "xml")

# Group captions exactly as the character tables list them (item 0 the book).
BOOK_GROUPS = [
    "一年级上册,识字（一）,课文（一）,课文（二）,识字（二）,课文（三）,课文（四）",
    "一年级下册,识字1,识字2,识字3,识字4,识字5,识字6,识字7,识字8",
    "二年级上册,识字1,识字2,识字3,识字4,识字5,识字6,识字7,识字8",
    "二年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    "三年级上册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    "三年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    "四年级上册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    "四年级下册,第一组,第二组,第三组,第四组,第五组,第六组,第七组,第八组",
    "五年级上册,第一组,第二组,第三组,第四组,第六组,第七组,第八组",
    "五年级下册,第一组,第二组,第三组,第四组,第五组,第七组,第八组",
    "六年级上册,第一组,第二组,第三组,第四组,第五组,第七组,第八组",
    "六年级下册,第一组,第二组,第三组,第四组,第五组,古诗词背诵",
]

# Per book, per catalogue group, the lessons: (title, "字 pinyin, 字 pinyin, ...").
B = {}
B[1] = [
    [("一去二三里", "一 yī, 去 qù, 二 èr, 三 sān, 里 lǐ, 四 sì, 五 wǔ, 六 liù"),
     ("口耳目", "口 kǒu, 耳 ěr, 目 mù, 羊 yáng, 鸟 niǎo, 兔 tù, 日 rì, 月 yuè")],
    [("画", "远 yuǎn, 有 yǒu, 色 sè, 近 jìn, 听 tīng, 无 wú, 声 shēng, 来 lái"),
     ("四季", "草 cǎo, 芽 yá, 尖 jiān, 说 shuō, 春 chūn, 青 qīng, 蛙 wā, 夏 xià, 春天 chūntiān"),
     ("小小的船", "的 de, 船 chuán, 两 liǎng, 头 tóu, 在 zài, 里 lǐ, 看 kàn, 见 jiàn, 星星 xīngxing")],
    [("比尾巴", "比 bǐ, 尾 wěi, 巴 ba, 谁 shuí, 长 cháng, 短 duǎn, 把 bǎ, 伞 sǎn, 尾巴 wěiba"),
     ("雪地里的小画家", "群 qún, 竹 zhú, 牙 yá, 用 yòng, 几 jǐ, 步 bù, 为 wèi, 参 cān"),
     ("自己去吧", "己 jǐ, 吧 ba, 妈 mā, 会 huì, 鸭 yā, 学 xué, 山 shān, 景 jǐng")],
    [("日月明", "明 míng, 力 lì, 男 nán, 休 xiū, 林 lín, 森 sēn, 从 cóng, 众 zhòng"),
     ("小书包", "书 shū, 包 bāo, 尺 chǐ, 作 zuò, 业 yè, 本 běn, 笔 bǐ, 刀 dāo, 书包 shūbāo")],
    [("影子", "影 yǐng, 前 qián, 后 hòu, 黑 hēi, 狗 gǒu, 左 zuǒ, 右 yòu, 它 tā, 朋友 péngyou"),
     ("阳光", "阳 yáng, 光 guāng, 禾 hé, 苗 miáo, 河 hé, 波 bō, 金 jīn, 闪 shǎn")],
    [("雨点儿", "点 diǎn, 儿 ér, 数 shǔ, 彩 cǎi, 半 bàn, 空 kōng, 问 wèn, 到 dào"),
     ("小熊住山洞", "熊 xióng, 住 zhù, 洞 dòng, 季 jì, 节 jié, 树 shù, 叶 yè, 砍 kǎn")],
]
# Book 1's character file also holds its pinyin unit as group 1, which has no catalogue node.
BOOK1_PINYIN_UNIT = [("汉语拼音", "爸 bà, 妈 mā, 我 wǒ, 大 dà, 米 mǐ, 土 tǔ")]
B[2] = [
    [("柳树醒了", "醒 xǐng, 雷 léi, 轻 qīng, 柳 liǔ, 梳 shū, 理 lǐ, 软 ruǎn, 孩 hái, 春雷 chūnléi"),
     ("春雨的色彩", "彩 cǎi, 滴 dī, 油 yóu, 论 lùn, 红 hóng, 洒 sǎ, 桃 táo, 杏 xìng")],
    [("看电视", "视 shì, 奶 nǎi, 最 zuì, 爱 ài, 球 qiú, 赛 sài, 喜 xǐ, 欢 huān"),
     ("胖乎乎的小手", "胖 pàng, 乎 hū, 张 zhāng, 洗 xǐ, 拖 tuō, 鞋 xié, 帮 bāng, 挠 náo")],
    [("小白兔和小灰兔", "灰 huī, 老 lǎo, 收 shōu, 菜 cài, 给 gěi, 送 sòng, 种 zhòng, 浇 jiāo"),
     ("两只小狮子", "狮 shī, 练 liàn, 习 xí, 滚 gǔn, 扑 pū, 咬 yǎo, 苦 kǔ, 懒 lǎn")],
    [("小壁虎借尾巴", "壁 bì, 虎 hǔ, 借 jiè, 蚊 wén, 捉 zhuō, 墙 qiáng, 角 jiǎo, 逃 táo"),
     ("荷叶圆圆", "荷 hé, 珠 zhū, 摇 yáo, 躺 tǎng, 晶 jīng, 停 tíng, 机 jī, 蹲 dūn")],
    [("四个太阳", "个 gè, 太 tài, 挂 guà, 夏 xià, 凉 liáng, 秋 qiū, 尝 cháng, 阳 yáng"),
     ("要下雨了", "雨 yǔ, 吗 ma, 闷 mèn, 潮 cháo, 湿 shī, 消 xiāo, 息 xī, 呀 ya")],
    [("夏夜多美", "夜 yè, 美 měi, 睡 shuì, 莲 lián, 蚂 mǎ, 蚁 yǐ, 迷 mí"),
     ("小猴子下山", "猴 hóu, 掰 bāi, 扛 káng, 扔 rēng, 摘 zhāi, 捧 pěng, 抱 bào, 追 zhuī")],
    [("乌鸦喝水", "乌 wū, 鸦 yā, 喝 hē, 渴 kě, 瓶 píng, 办 bàn, 法 fǎ, 渐 jiàn"),
     ("司马光", "司 sī, 玩 wán, 假 jiǎ, 爬 pá, 叫 jiào, 慌 huāng, 别 bié, 石 shí")],
    [("棉花姑娘", "棉 mián, 姑 gū, 娘 niáng, 病 bìng, 治 zhì, 燕 yàn, 啄 zhuó, 医 yī"),
     ("地球爷爷的手", "地 dì, 爷 yé, 熟 shú, 掉 diào, 怪 guài, 累 lèi, 拉 lā, 地球 dìqiú")],
]
B[3] = [
    [("秋天的图画", "梨 lí, 苹 píng, 果 guǒ, 紫 zǐ, 燃 rán, 稻 dào, 勤 qín, 劳 láo, 苹果 píngguǒ"),
     ("黄山奇石", "奇 qí, 南 nán, 著 zhù, 峰 fēng, 猴 hóu, 脱 tuō, 翅 chì, 膀 bǎng")],
    [("植物妈妈有办法", "植 zhí, 物 wù, 法 fǎ, 如 rú, 蒲 pú, 英 yīng, 纷 fēn, 娃 wá"),
     ("坐井观天", "井 jǐng, 观 guān, 沿 yán, 答 dá, 渴 kě, 喝 hē, 际 jì, 话 huà, 井沿 jǐngyán")],
    [("我要的是葫芦", "葫 hú, 芦 lú, 藤 téng, 盯 dīng, 邻 lín, 怪 guài, 言 yán, 慢 màn"),
     ("小蝌蚪找妈妈", "蝌 kē, 蚪 dǒu, 塘 táng, 脑 nǎo, 袋 dài, 灰 huī, 披 pī, 鼓 gǔ")],
    [("曹冲称象", "曹 cáo, 称 chēng, 议 yì, 论 lùn, 柱 zhù, 此 cǐ, 杆 gǎn, 秤 chèng"),
     ("玲玲的画", "玲 líng, 评 píng, 奖 jiǎng, 糟 zāo, 脏 zāng, 筋 jīn, 详 xiáng, 肯 kěn")],
    [("日月潭", "潭 tán, 湾 wān, 境 jìng, 投 tóu, 展 zhǎn, 湖 hú, 央 yāng, 省 shěng"),
     ("葡萄沟", "葡 pú, 萄 táo, 沟 gōu, 密 mì, 梯 tī, 稀 xī, 季 jì, 够 gòu")],
    [("大禹治水", "禹 yǔ, 治 zhì, 灾 zāi, 难 nàn, 害 hài, 洪 hóng, 挖 wā, 通 tōng"),
     ("朱德的扁担", "朱 zhū, 德 dé, 扁 biǎn, 队 duì, 粮 liáng, 战 zhàn, 士 shì, 敬 jìng")],
    [("纸船和风筝", "筝 zhēng, 漂 piāo, 祝 zhù, 扎 zhā, 抓 zhuā, 幸 xìng, 福 fú, 愿 yuàn"),
     ("风娃娃", "吸 xī, 抽 chōu, 喘 chuǎn, 筋 jīn, 秧 yāng, 苗 miáo, 伤 shāng, 感 gǎn")],
    [("酸的和甜的", "酸 suān, 甜 tián, 狐 hú, 狸 lí, 串 chuàn, 迫 pò, 架 jià, 摘 zhāi"),
     ("浅水洼里的小鱼", "洼 wā, 浅 qiǎn, 捡 jiǎn, 扔 rēng, 乎 hū, 管 guǎn, 条 tiáo, 被 bèi")],
]
B[4] = [
    [("找春天", "脱 tuō, 遮 zhē, 掩 yǎn, 探 tàn, 躲 duǒ, 藏 cáng, 摇 yáo, 触 chù"),
     ("小鹿的玫瑰花", "鹿 lù, 玫 méi, 瑰 guī, 浇 jiāo, 瘸 qué, 惋 wǎn, 惜 xī, 微 wēi, 玫瑰 méigui")],
    [("雷锋叔叔，你在哪里", "锋 fēng, 叔 shū, 昨 zuó, 洒 sǎ, 滴 dī, 迷 mí, 温 wēn, 暖 nuǎn"),
     ("我不是最弱小的", "弱 ruò, 萨 sà, 沙 shā, 寒 hán, 护 hù, 猛 měng, 躲 duǒ, 拂 fú")],
    [("小鹰学飞", "鹰 yīng, 盘 pán, 旋 xuán, 老 lǎo, 急 jí, 抬 tái, 哦 ò"),
     ("画风", "涛 tāo, 宋 sòng, 飘 piāo, 旗 qí, 斜 xié, 竖 shù, 弯 wān, 哗 huā")],
    [("蜜蜂引路", "蜂 fēng, 引 yǐn, 列 liè, 宁 níng, 养 yǎng, 派 pài, 址 zhǐ, 附 fù"),
     ("玩具柜台前的孩子", "柜 guì, 具 jù, 售 shòu, 货 huò, 员 yuán, 熟 shú, 剩 shèng, 漂 piào")],
    [("数星星的孩子", "数 shǔ, 晴 qíng, 珠 zhū, 仰 yǎng, 颗 kē, 斗 dǒu, 勺 sháo, 衡 héng"),
     ("恐龙", "恐 kǒng, 龙 lóng, 类 lèi, 种 zhǒng, 型 xíng, 脚 jiǎo, 庞 páng, 嘴 zuǐ")],
    [("好汉查理", "汉 hàn, 查 chá, 理 lǐ, 淘 táo, 捣 dǎo, 坏 huài, 推 tuī, 板 bǎn"),
     ("亡羊补牢", "亡 wáng, 牢 láo, 圈 juàn, 叼 diāo, 劝 quàn, 钻 zuān, 悔 huǐ, 补 bǔ")],
    [("画家和牧童", "牧 mù, 童 tóng, 购 gòu, 浓 nóng, 淡 dàn, 抹 mǒ, 嘻 xī, 讥 jī"),
     ("我为你骄傲", "骄 jiāo, 傲 ào, 拾 shí, 碎 suì, 玻 bō, 璃 lí, 寄 jì, 攒 zǎn, 歉 qiàn")],
    [("三个儿子", "桶 tǒng, 拎 līn, 胳 gē, 膊 bó, 晃 huàng, 酸 suān, 沉 chén, 疼 téng"),
     ("动手做做看", "伊 yī, 琳 lín, 朗 lǎng, 忽 hū, 漫 màn, 注 zhù, 需 xū, 费 fèi")],
]
B[5] = [
    [("我们的民族小学", "族 zú, 鲜 xiān, 艳 yàn, 服 fú, 装 zhuāng, 招 zhāo, 蝴 hú, 蝶 dié, 蝴蝶 húdié"),
     ("金色的草地", "盛 shèng, 欺 qī, 钓 diào, 耍 shuǎ, 拢 lǒng, 瓣 bàn, 绒 róng, 掌 zhǎng")],
    [("槐乡的孩子", "槐 huái, 昏 hūn, 浇 jiāo, 筐 kuāng, 捋 lǚ, 翠 cuì, 帘 lián, 蜜 mì"),
     ("风筝", "筝 zhēng, 扎 zhā, 抖 dǒu, 断 duàn, 希 xī, 望 wàng, 拽 zhuài")],
    [("秋天的雨", "钥 yào, 扇 shàn, 凉 liáng, 爽 shuǎng, 菊 jú, 仙 xiān, 粮 liáng, 频 pín"),
     ("听听，秋的声音", "叶 yè, 抖 dǒu, 蟋 xī, 蟀 shuài, 振 zhèn, 歌 gē, 韵 yùn, 辽 liáo")],
    [("花钟", "钟 zhōng, 牵 qiān, 欣 xīn, 午 wǔ, 芬 fēn, 芳 fāng, 艳 yàn, 昆 kūn"),
     ("蜜蜂", "蜜 mì, 阵 zhèn, 辨 biàn, 识 shí, 括 kuò, 减 jiǎn, 推 tuī, 确 què")],
    [("矛和盾的集合", "矛 máo, 盾 dùn, 集 jí, 攻 gōng, 锋 fēng, 利 lì, 插 chā, 坦 tǎn"),
     ("科利亚的木匣", "匣 xiá, 锯 jù, 埋 mái, 挖 wā, 坑 kēng, 距 jù, 离 lí, 搬 bān")],
    [("灰雀", "雀 què, 郊 jiāo, 养 yǎng, 仍 réng, 肯 kěn, 免 miǎn, 诚 chéng, 胸 xiōng"),
     ("小摄影师", "摄 shè, 影 yǐng, 师 shī, 冒 mào, 胶 jiāo, 卷 juǎn, 室 shì, 秘 mì")],
    [("富饶的西沙群岛", "饶 ráo, 岛 dǎo, 优 yōu, 威 wēi, 武 wǔ, 鲜 xiān, 拣 jiǎn, 栖 qī"),
     ("美丽的小兴安岭", "兴 xīng, 安 ān, 岭 lǐng, 融 róng, 溪 xī, 汇 huì, 浴 yù, 脂 zhī")],
    [("掌声", "掌 zhǎng, 班 bān, 迟 chí, 拐 guǎi, 犹 yóu, 豫 yù, 鼓 gǔ, 励 lì"),
     ("一次成功的实验", "验 yàn, 细 xì, 漏 lòu, 瓶 píng, 塞 sāi, 砸 zá, 秩 zhì, 序 xù")],
]
B[6] = [
    [("燕子", "燕 yàn, 聚 jù, 拂 fú, 漾 yàng, 偶 ǒu, 沾 zhān, 痕 hén, 圈 quān, 燕子 yànzi"),
     ("咏柳", "咏 yǒng, 妆 zhuāng, 丝 sī, 绦 tāo, 裁 cái, 剪 jiǎn")],
    [("翠鸟", "翠 cuì, 饰 shì, 衬 chèn, 泻 xiè, 泛 fàn, 逗 dòu, 贴 tiē, 陡 dǒu"),
     ("燕子专列", "列 liè, 骤 zhòu, 降 jiàng, 饥 jī, 寒 hán, 纷 fēn, 政 zhèng, 府 fǔ")],
    [("荷花", "莲 lián, 蓬 péng, 胀 zhàng, 裂 liè, 姿 zī, 势 shì, 仿 fǎng, 佛 fú"),
     ("珍珠泉", "珍 zhēn, 泉 quán, 茂 mào, 幽 yōu, 镜 jìng, 串 chuàn, 翡 fěi, 翠 cuì")],
    [("惊弓之鸟", "弓 gōng, 猎 liè, 雁 yàn, 悲 bēi, 孤 gū, 愈 yù, 裂 liè, 魏 wèi"),
     ("画杨桃", "杨 yáng, 审 shěn, 讲 jiǎng, 座 zuò, 角 jiǎo, 叮 dīng, 嘱 zhǔ, 相 xiāng")],
    [("可贵的沉默", "贵 guì, 默 mò, 妙 miào, 蛋 dàn, 糕 gāo, 敏 mǐn, 祝 zhù, 郑 zhèng"),
     ("妈妈的账单", "账 zhàng, 欠 qiàn, 款 kuǎn, 收 shōu, 据 jù, 羞 xiū, 愧 kuì, 寄 jì")],
    [("太阳", "测 cè, 积 jī, 类 lèi, 差 chà, 蒸 zhēng, 繁 fán, 殖 zhí, 煤 méi"),
     ("月球之谜", "谜 mí, 亮 liàng, 淡 dàn, 陆 lù, 倍 bèi, 探 tàn, 宇 yǔ, 宙 zhòu")],
    [("七月的天山", "疏 shū, 朗 lǎng, 珍 zhēn, 塔 tǎ, 透 tòu, 艳 yàn, 溪 xī, 野 yě"),
     ("她是我的朋友", "输 shū, 液 yè, 颤 chàn, 抖 dǒu, 症 zhèng, 护 hù")],
    [("卖木雕的少年", "雕 diāo, 售 shòu, 游 yóu, 鉴 jiàn, 赏 shǎng, 聚 jù, 精 jīng, 巧 qiǎo"),
     ("果园机器人", "园 yuán, 器 qì, 摘 zhāi, 盖 gài, 储 chǔ, 存 cún, 装 zhuāng, 况 kuàng")],
]
B[7] = [
    [("观潮", "潮 cháo, 堤 dī, 盼 pàn, 滚 gǔn, 顿 dùn, 逐 zhú, 渐 jiàn, 崩 bēng, 潮水 cháoshuǐ"),
     ("鸟的天堂", "堂 táng, 逝 shì, 荔 lì, 枝 zhī, 缝 fèng, 隙 xì, 翅 chì, 膀 bǎng")],
    [("题西林壁", "题 tí, 壁 bì, 峰 fēng, 庐 lú, 缘 yuán, 侧 cè"),
     ("爬山虎的脚", "操 cāo, 茎 jīng, 叶 yè, 铺 pū, 均 jūn, 蜗 wō, 牛 niú, 触 chù")],
    [("白鹅", "鹅 é, 揭 jiē, 厉 lì, 侍 shì, 奉 fèng, 倘 tǎng, 傲 ào, 吭 háng"),
     ("猫", "猫 māo, 职 zhí, 贪 tān, 蹭 cèng, 稿 gǎo, 踩 cǎi, 梅 méi, 苗 miáo")],
    [("巨人的花园", "巨 jù, 硕 shuò, 拆 chāi, 禁 jìn, 牌 pái, 围 wéi, 墙 qiáng, 魔 mó"),
     ("幸福是什么", "智 zhì, 慧 huì, 附 fù, 疏 shū, 浚 jùn, 职 zhí, 益 yì, 务 wù")],
    [("长城", "蜿 wān, 蜒 yán, 旅 lǚ, 屯 tún, 射 shè, 堡 bǎo, 魄 pò, 凝 níng"),
     ("颐和园", "颐 yí, 殿 diàn, 阁 gé, 廊 láng, 栏 lán, 堤 dī, 滑 huá, 凸 tū")],
    [("搭石", "搭 dā, 汛 xùn, 懒 lǎn, 脚 jiǎo, 调 tiáo, 理 lǐ, 谐 xié, 俗 sú"),
     ("跨越海峡的生命桥", "跨 kuà, 峡 xiá, 骨 gǔ, 髓 suǐ, 脉 mài, 抽 chōu, 液 yè, 暂 zàn")],
    [("为中华之崛起而读书", "崛 jué, 振 zhèn, 胸 xiōng, 怀 huái, 租 zū, 界 jiè, 巡 xún, 训 xùn"),
     ("梅兰芳蓄须", "蓄 xù, 须 xū, 拒 jù, 寇 kòu, 迫 pò, 沦 lún, 陷 xiàn, 锁 suǒ")],
    [("普罗米修斯", "罗 luó, 修 xiū, 违 wéi, 抗 kàng, 惩 chéng, 罚 fá, 悬 xuán, 崖 yá"),
     ("女娲补天", "娲 wā, 塌 tā, 燃 rán, 熄 xī, 挣 zhēng, 扎 zhá, 冶 yě, 炼 liàn")],
]
B[8] = [
    [("桂林山水", "桂 guì, 澜 lán, 瑕 xiá, 暇 xiá, 峰 fēng, 骆 luò, 驼 tuó, 泛 fàn, 骆驼 luòtuo"),
     ("记金华的双龙洞", "浙 zhè, 簇 cù, 稍 shāo, 额 é, 擦 cā, 蜿 wān, 郁 yù, 孔 kǒng")],
    [("中彩那天", "德 dé, 拮 jié, 据 jù, 馈 kuì, 梦 mèng, 寐 mèi, 彩 cǎi, 券 quàn"),
     ("万年牢", "牢 láo, 摊 tān, 糖 táng, 葫 hú, 芦 lú, 储 chǔ, 铜 tóng, 秤 chèng")],
    [("自然之道", "龟 guī, 蹿 cuān, 企 qǐ, 嘲 cháo, 荒 huāng, 愚 yú, 鸥 ōu, 侦 zhēn"),
     ("黄河是怎样变化的", "灾 zāi, 缓 huǎn, 溢 yì, 淤 yū, 泛 fàn, 滥 làn, 堵 dǔ, 淮 huái")],
    [("夜莺的歌声", "莺 yīng, 拣 jiǎn, 鞠 jū, 躬 gōng, 坦 tǎn, 僻 pì, 嘀 dí, 咕 gū"),
     ("小英雄雨来", "英 yīng, 雄 xióng, 芦 lú, 苇 wěi, 磨 mó, 鬼 guǐ, 瞪 dèng, 逃 táo")],
    [("触摸春天", "摸 mō, 盲 máng, 磕 kē, 蝶 dié, 权 quán, 缤 bīn, 纷 fēn, 磁 cí"),
     ("永生的眼睛", "睛 jīng, 损 sǔn, 庭 tíng, 缝 féng, 葬 zàng, 眶 kuàng, 默 mò, 遗 yí")],
    [("乡下人家", "构 gòu, 饰 shì, 瓜 guā, 率 shuài, 觅 mì, 捣 dǎo, 谐 xié, 眠 mián"),
     ("牧场之国", "牧 mù, 辽 liáo, 骏 jùn, 膘 biāo, 镶 xiāng, 辉 huī, 吠 fèi, 畜 chù")],
    [("父亲的菜园", "菜 cài, 荒 huāng, 挑 tiāo, 铲 chǎn, 盖 gài, 浇 jiāo, 播 bō, 嫩 nèn"),
     ("全神贯注", "贯 guàn, 注 zhù, 罗 luó, 丹 dān, 雕 diāo, 塑 sù, 誉 yù, 逊 xùn")],
    [("渔夫的故事", "渔 yú, 瓶 píng, 魔 mó, 撒 sā, 罐 guàn, 徽 huī, 赐 cì, 诈 zhà"),
     ("鱼游到了纸上", "鱼 yú, 幅 fú, 哑 yǎ, 粗 cū, 俊 jùn, 拘 jū, 恍 huǎng, 悟 wù")],
]
B[9] = [
    [("窃读记", "窃 qiè, 踮 diǎn, 惧 jù, 檐 yán, 钩 gōu, 屑 xiè, 腿 tuǐ, 辘 lù"),
     ("小苗与大树的对话", "苗 miáo, 谓 wèi, 矩 jǔ, 博 bó, 喻 yù, 竟 jìng, 伏 fú, 编 biān")],
    [("桂花雨", "桂 guì, 杭 háng, 缠 chán, 箩 luó, 糕 gāo, 茶 chá, 咐 fù, 撑 chēng"),
     ("梅花魂", "魂 hún, 缕 lǚ, 葬 zàng, 腮 sāi, 玷 diàn, 污 wū, 秉 bǐng, 泊 bó")],
    [("新型玻璃", "玻 bō, 璃 lí, 型 xíng, 盗 dào, 窃 qiè, 墨 mò, 梯 tī, 零 líng, 玻璃 bōli"),
     ("鲸", "鲸 jīng, 腭 è, 滤 lǜ, 胎 tāi, 判 pàn, 肺 fèi, 哺 bǔ, 垂 chuí")],
    [("钓鱼的启示", "钓 diào, 启 qǐ, 鲈 lú, 捕 bǔ, 拨 bō, 沮 jǔ, 丧 sàng, 畔 pàn"),
     ("落花生", "亩 mǔ, 播 bō, 浇 jiāo, 吩 fēn, 茅 máo, 榴 liú, 矮 ǎi, 慕 mù")],
    [("地震中的父与子", "震 zhèn, 疼 téng, 墟 xū, 暴 bào, 颤 chàn, 绝 jué, 瓦 wǎ, 砾 lì"),
     ("慈母情深", "慈 cí, 抑 yì, 陋 lòu, 噪 zào, 耗 hào, 攥 zuàn, 疲 pí, 惫 bèi")],
    [("圆明园的毁灭", "毁 huǐ, 灭 miè, 宏 hóng, 瑰 guī, 侵 qīn, 玲 líng, 珑 lóng, 销 xiāo"),
     ("狼牙山五壮士", "壮 zhuàng, 寇 kòu, 拖 tuō, 嵌 qiàn, 悬 xuán, 崖 yá, 屹 yì, 绝 jué")],
    [("开国大典", "典 diǎn, 亿 yì, 帜 zhì, 杆 gān, 泽 zé, 旋 xuán, 缚 fù, 阅 yuè"),
     ("青山处处埋忠骨", "忠 zhōng, 骨 gǔ, 殉 xùn, 眷 juàn, 恋 liàn, 拟 nǐ, 抉 jué, 勉 miǎn")],
]
B[10] = [
    [("草原", "陵 líng, 渲 xuàn, 勾 gōu, 勒 lè, 襟 jīn, 涯 yá, 蒙 měng, 虹 hóng, 草原 cǎoyuán"),
     ("丝绸之路", "丝 sī, 绸 chóu, 矗 chù, 塑 sù, 驼 tuó, 驿 yì, 昂 áng, 匹 pǐ")],
    [("童年的发现", "胚 pēi, 瞧 qiáo, 祈 qí, 祷 dǎo, 痕 hén, 妥 tuǒ, 逾 yú, 乏 fá"),
     ("冬阳·童年·骆驼队", "骆 luò, 驼 tuó, 咀 jǔ, 嚼 jué, 蹄 tí, 袄 ǎo, 傻 shǎ, 铃 líng")],
    [("杨氏之子", "氏 shì, 梁 liáng, 惠 huì, 诣 yì, 禽 qín, 甚 shèn"),
     ("晏子使楚", "晏 yàn, 侮 wǔ, 辱 rǔ, 臣 chén, 敝 bì, 囚 qiú, 犯 fàn, 柑 gān")],
    [("草船借箭", "妒 dù, 忌 jì, 督 dū, 探 tàn, 擂 léi, 鼓 gǔ, 呐 nà, 寨 zhài"),
     ("景阳冈", "冈 gāng, 哨 shào, 棒 bàng, 踉 liàng, 跄 qiàng, 抡 lūn, 拳 quán, 霹 pī")],
    [("临死前的严监生", "监 jiàn, 簇 cù, 诸 zhū, 栽 zāi, 挑 tiǎo, 盏 zhǎn, 熄 xī, 茎 jīng"),
     ("刷子李", "刷 shuā, 傅 fù, 袍 páo, 唯 wéi, 搅 jiǎo, 蘸 zhàn, 裂 liè, 瞧 qiáo")],
    [("威尼斯的小艇", "尼 ní, 艇 tǐng, 翘 qiào, 舱 cāng, 祷 dǎo, 嘱 zhǔ, 哗 huá, 簇 cù"),
     ("与象共舞", "舞 wǔ, 殿 diàn, 吼 hǒu, 鼻 bí, 摩 mó, 擦 cā, 蒲 pú, 抚 fǔ")],
    [("自己的花是让别人看的", "莱 lái, 奇 qí, 颜 yán, 浓 nóng, 亮 liàng, 沉 chén, 境 jìng, 瞧 qiáo"),
     ("彩色的非洲", "洲 zhōu, 泼 pō, 椰 yē, 炽 chì, 烤 kǎo, 舞 wǔ, 鼓 gǔ, 染 rǎn")],
]
B[11] = [
    [("山中访友", "访 fǎng, 涧 jiàn, 唤 huàn, 蜘 zhī, 蛛 zhū, 瀑 pù, 禀 bǐng, 筑 zhù, 蜘蛛 zhīzhū"),
     ("草虫的村落", "落 luò, 毅 yì, 蹦 bèng, 凯 kǎi, 旋 xuán, 漫 màn, 叹 tàn, 鼓 gǔ")],
    [("詹天佑", "詹 zhān, 佑 yòu, 阻 zǔ, 挠 náo, 讥 jī, 笑 xiào, 勘 kān, 峭 qiào"),
     ("怀念母亲", "怀 huái, 膜 mó, 沃 wò, 挚 zhì, 寝 qǐn, 悼 dào, 黯 àn, 恋 liàn")],
    [("穷人", "穷 qióng, 渔 yú, 魁 kuí, 梧 wú, 舱 cāng, 搁 gē, 熬 áo, 抱 bào"),
     ("别饿坏了那匹马", "匹 pǐ, 馋 chán, 靠 kào, 屁 pì, 赁 lìn, 尴 gān, 尬 gà, 讪 shàn")],
    [("这片土地是神圣的", "圣 shèng, 履 lǚ, 滋 zī, 潺 chán, 驮 tuó, 婪 lán, 潮 cháo, 甚 shèn"),
     ("青山不老", "岗 gǎng, 秧 yāng, 斑 bān, 屏 píng, 侵 qīn, 袭 xí, 肆 sì, 枉 wǎng")],
    [("少年闰土", "闰 rùn, 猹 chá, 郑 zhèng, 祭 jì, 瞬 shùn, 厨 chú, 畏 wèi, 稻 dào"),
     ("我的伯父鲁迅先生", "伯 bó, 鲁 lǔ, 迅 xùn, 爷 yé, 囫 hú, 囵 lún, 枣 zǎo, 饶 ráo")],
    [("老人与海鸥", "鸥 ōu, 褪 tuì, 蹒 pán, 跚 shān, 翩 piān, 肃 sù, 瞩 zhǔ, 抑 yì"),
     ("跑进家来的松鼠", "鼠 shǔ, 榛 zhēn, 蘑 mó, 菇 gū, 甩 shuǎi, 储 chǔ, 惹 rě, 煮 zhǔ")],
    [("伯牙绝弦", "弦 xián, 哉 zāi, 峨 é, 逝 shì, 谓 wèi, 志 zhì"),
     ("月光曲", "谱 pǔ, 莱 lái, 茵 yīn, 盲 máng, 券 quàn, 陶 táo, 键 jiàn, 恬 tián")],
]
B[12] = [
    [("学弈", "弈 yì, 诲 huì, 援 yuán, 缴 zhuó, 弗 fú, 矣 yǐ"),
     ("两小儿辩日", "辩 biàn, 盂 yú, 孰 shú, 汝 rǔ, 沧 cāng, 探 tàn")],
    [("匆匆", "匆 cōng, 藏 cáng, 挪 nuó, 徘 pái, 徊 huái, 蒸 zhēng, 涔 cén, 匆匆 cōngcōng"),
     ("桃花心木", "芽 yá, 插 chā, 枯 kū, 萎 wěi, 锻 duàn, 炼 liàn, 勤 qín, 懒 lǎn")],
    [("北京的春节", "醋 cù, 蒜 suàn, 翡 fěi, 饺 jiǎo, 骡 luó, 逛 guàng, 寺 sì, 鞭 biān"),
     ("藏戏", "藏 zàng, 戏 xì, 谚 yàn, 叙 xù, 吞 tūn, 陡 dǒu, 峭 qiào, 滔 tāo")],
    [("十六年前的回忆", "忆 yì, 避 bì, 扰 rǎo, 瞅 chǒu, 瞥 piē, 拷 kǎo, 执 zhí, 刑 xíng"),
     ("灯光", "灯 dēng, 憧 chōng, 憬 jǐng, 歼 jiān, 阻 zǔ, 燃 rán, 摧 cuī, 毁 huǐ")],
    [("卖火柴的小女孩", "裙 qún, 柴 chái, 蜷 quán, 乖 guāi, 暖 nuǎn, 焰 yàn, 喷 pèn, 慈 cí"),
     ("鲁滨孙漂流记", "滨 bīn, 孙 sūn, 漂 piāo, 荒 huāng, 岛 dǎo, 遇 yù, 储 chǔ, 鹦 yīng")],
    [("泊船瓜洲", "泊 bó, 瓜 guā, 洲 zhōu, 钟 zhōng, 隔 gé, 绿 lǜ, 岸 àn, 还 huán"),
     ("游子吟", "吟 yín, 慈 cí, 缝 féng, 恐 kǒng, 迟 chí, 寸 cùn, 晖 huī, 报 bào")],
]

TONE_VOWELS = set("āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜü")
IMAGE_BOOK, IMAGE_GROUP, IMAGE_LESSON = 0, 1, 2


def nfc(text):
    return unicodedata.normalize("NFC", text)


def entries(spec):
    result = []
    for item in spec.split(","):
        word, pinyin = item.strip().split(" ")
        word, pinyin = nfc(word), nfc(pinyin)
        assert all("\u4e00" <= c <= "\u9fff" for c in word), word
        assert pinyin.isalpha() and pinyin == pinyin.lower(), pinyin
        result.append((word, pinyin))
    assert 4 <= len(result) <= 12, spec
    return result


def node(indent, tag, text, image, children=None):
    attrs = "text=%s ImageIndex=\"%d\" SelectedIndex=\"%d\"" % (quoteattr(nfc(text)), image, image)
    if not children:
        return "%s<%s %s/>\n" % (indent, tag, attrs)
    return "%s<%s %s>\n%s%s</%s>\n" % (indent, tag, attrs, "".join(children), indent, tag)


def catalogue():
    books = []
    for n, row in enumerate(BOOK_GROUPS, start=1):
        captions = row.split(",")
        groups = B[n]
        assert len(groups) == len(captions) - 1, (n, len(groups))
        group_nodes = []
        for caption, lessons in zip(captions[1:], groups):
            assert 2 <= len(lessons) <= 4
            lesson_nodes = [node("        ", "lesson", title, IMAGE_LESSON) for title, _ in lessons]
            group_nodes.append(node("      ", "group", caption, IMAGE_GROUP, lesson_nodes))
        books.append(node("    ", "book", captions[0], IMAGE_BOOK, group_nodes))
    root = node("  ", "root", "小学语文同步学习", IMAGE_BOOK, books)
    return '<?xml version="1.0" encoding="UTF-8"?>\n<unit>\n%s</unit>\n' % root


def character_file(n, encoding):
    lines = ['<?xml version="1.0" encoding="%s"?>' % encoding, "<hanzi>"]
    groups = B[n]
    numbered = list(enumerate(groups, start=2 if n == 1 else 1))
    if n == 1:
        numbered.insert(0, (1, BOOK1_PINYIN_UNIT))
    for group_no, lessons in numbered:
        assert group_no < 10
        for lesson_no, (title, spec) in enumerate(lessons, start=1):
            lines.append("  <!-- %s -->" % nfc(title))
            for word, pinyin in entries(spec):
                lines.append("  <lesson%d%02d Chinese=%s PinYin1=%s/>"
                             % (group_no, lesson_no, quoteattr(word), quoteattr(pinyin)))
    lines.append("</hanzi>")
    return "\n".join(lines) + "\n"


def write(name, text, encoding):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(text.encode(encoding))


def main():
    os.makedirs(OUT, exist_ok=True)
    write("unit.xml", catalogue(), "utf-8")
    for n in range(1, 13):
        encoding = "GB2312" if n == 1 else "UTF-8"
        write("hanzi%d.xml" % n, character_file(n, encoding), encoding.lower())
    pinyin = {p for n in B for g in B[n] for _, s in g for _, p in entries(s)}
    print("wrote %s: %d distinct pinyin" % (OUT, len(pinyin)))


if __name__ == "__main__":
    main()
